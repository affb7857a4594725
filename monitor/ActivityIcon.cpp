#include "ActivityIcon.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

// The still icon's colours, so the three forms look like one program.
const QColor Background(0x1E, 0x2A, 0x33);
const QColor Down(0x3D, 0xDC, 0x4A);
const QColor Up(0xFF, 0x4A, 0x3D);
// Steps of a bar's height: as many as the 16-pixel icon has rows for each direction.
constexpr int Steps = 7;

QPixmap tile(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Background);
    const qreal radius = 2.5 * size / 16;
    painter.drawRoundedRect(QRectF(0, 0, size, size), radius, radius);
    return pixmap;
}

} // namespace

bool ActivityIcon::setForm(Form form)
{
    if (form == m_form)
        return false;
    m_form = form;
    m_columns.clear();
    m_rate = 0;
    update();
    return true;
}

bool ActivityIcon::add(double downRate, double upRate, bool bits)
{
    m_columns.append({downRate, upRate});
    if (m_columns.size() > Seconds)
        m_columns.removeFirst();
    m_rate = downRate;
    m_bits = bits;
    return update();
}

// Works out the picture; true when it differs from the one before.
bool ActivityIcon::update()
{
    QVector<int> bars;
    QString text;
    if (m_form == Form::Graph) {
        double top = 0;
        for (const auto& [down, up] : m_columns)
            top = std::max({top, down, up});
        // Every bar against the tallest of the last seconds; any traffic shows at least one step.
        const auto steps = [top](double rate) { return rate > 0 ? int(std::ceil(rate / top * Steps)) : 0; };
        for (const auto& [down, up] : m_columns)
            bars << steps(down) << steps(up);
    } else if (m_form == Form::Rate) {
        text = shortRate(m_rate, m_bits);
    }
    if (bars == m_bars && text == m_text)
        return false;
    m_bars = bars;
    m_text = text;
    return true;
}

QString ActivityIcon::shortRate(double rate, bool bits)
{
    // The speed line's units: kB/s of 1000 octets, or Kbps of 1024 bits.
    const double v = bits ? rate * 8.192 : rate;
    const QLocale locale;
    const auto scaled = [&locale](double x, const char* unit) {
        return (x < 9.95 ? locale.toString(x, 'f', 1) : locale.toString(std::lround(x))) + QLatin1String(unit);
    };
    if (v < 0.5)
        return QStringLiteral("0");
    if (v < 999.5)
        return locale.toString(std::lround(v)) + QLatin1Char('k');
    if (v < 999500)
        return scaled(v / 1000, "M");
    return scaled(v / 1000000, "G");
}

QIcon ActivityIcon::draw(const QIcon& still) const
{
    if (m_form == Form::Still)
        return still;
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = tile(size);
        QPainter painter(&pixmap);
        if (m_form == Form::Graph) {
            // Download stands on the middle line, upload hangs from it, the newest second on the right.
            const qreal margin = std::max(1, size / 16);
            const qreal half = size / 2.0 - margin - 0.5;
            const qreal width = (size - 2 * margin) / Seconds;
            const qreal first = size - margin - width * qreal(m_bars.size() / 2);
            for (int i = 0; i + 1 < m_bars.size(); i += 2) {
                const qreal x = first + width * (i / 2);
                const qreal down = half * m_bars[i] / Steps;
                const qreal up = half * m_bars[i + 1] / Steps;
                painter.fillRect(QRectF(x, size / 2.0 - 0.5 - down, width, down), Down);
                painter.fillRect(QRectF(x, size / 2.0 + 0.5, width, up), Up);
            }
        } else {
            // As large as fits the width, in the bold the still icon's bars stand for.
            QFont font;
            font.setBold(true);
            qreal pixels = size * 0.6;
            font.setPixelSize(int(pixels));
            while (pixels > 6 && QFontMetricsF(font).horizontalAdvance(m_text) > size - 2) {
                pixels -= 1;
                font.setPixelSize(int(pixels));
            }
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, m_text);
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
