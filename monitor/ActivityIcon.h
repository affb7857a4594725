#pragma once

#include <QIcon>
#include <QString>
#include <QVector>

#include <utility>

// What the notification icon shows of the traffic: the program's still picture, the last seconds of download and
// upload as a small graph, or the current download rate as text. It keeps what its picture shows and tells when
// that changes, so the icon is drawn, and sent to the panel, only then.
class ActivityIcon
{
public:
    enum class Form { Still, Graph, Rate };
    // The graph's columns, one a second.
    static constexpr int Seconds = 8;

    // True when the picture changes.
    bool setForm(Form form);
    Form form() const { return m_form; }
    // One reading a second, rates in kB/s; true when the picture changes.
    bool add(double downRate, double upRate, bool bits);
    // The picture at the tray's sizes; in the still form, `still` itself.
    QIcon draw(const QIcon& still) const;

    // A rate in kB/s in at most four characters: 850k, 1.2M, 120M, 2.5G (in bits: Kbit, Mbit, Gbit per second).
    static QString shortRate(double rate, bool bits);

private:
    bool update();

    Form m_form = Form::Still;
    // Download and upload, oldest first.
    QVector<std::pair<double, double>> m_columns;
    double m_rate = 0;
    bool m_bits = false;
    // What the picture shows: the bars' heights in steps, or the text.
    QVector<int> m_bars;
    QString m_text;
};
