#pragma once

#include <QtGlobal>
#include <cmath>
#include <limits>

// Fixed-point money-style number: a signed 64-bit count of 0.0001 units. Assigning a computed value rounds it
// to four decimals (halves to even, as the stored averages always have been).
class Currency
{
public:
    static constexpr qint64 Scale = 10000;

    constexpr Currency() = default;
    static Currency fromDouble(double v)
    {
        Currency c;
        c = v;
        return c;
    }

    Currency& operator=(double v)
    {
        const double scaled = std::nearbyint(v * Scale);
        // Out-of-range values saturate rather than invoke undefined behaviour in the conversion.
        if (std::isnan(scaled))
            m_units = 0;
        else if (scaled >= 9.2233720368547e18)
            m_units = std::numeric_limits<qint64>::max();
        else if (scaled <= -9.2233720368547e18)
            m_units = std::numeric_limits<qint64>::min();
        else
            m_units = static_cast<qint64>(scaled);
        return *this;
    }

    constexpr qint64 units() const { return m_units; }
    constexpr double toDouble() const { return static_cast<double>(m_units) / Scale; }
    constexpr operator double() const { return toDouble(); }

    friend constexpr bool operator==(Currency a, Currency b) { return a.m_units == b.m_units; }
    friend constexpr bool operator!=(Currency a, Currency b) { return a.m_units != b.m_units; }

private:
    qint64 m_units = 0;
};
