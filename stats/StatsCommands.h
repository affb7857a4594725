#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>

// How the monitor and the statistics window's own process talk: the monitor starts ExecutableName with the
// database's path and writes Show and a line feed to its standard input for each later Volume Graphs command;
// closing that input ends the process. Both carry, when the monitor window is on screen, the area it covers, as
// "x,y,width,height": the statistics window keeps clear of it, so the window on top hides none of it.
namespace StatsCommands {
inline constexpr const char* ExecutableName = "zovodazad-stats";
inline constexpr const char* Show = "show";
inline constexpr const char* Avoid = "--avoid";

inline QByteArray rectText(const QRect& r)
{
    return QByteArray::number(r.x()) + ',' + QByteArray::number(r.y()) + ',' + QByteArray::number(r.width()) + ','
        + QByteArray::number(r.height());
}

// An empty rectangle for text that names none.
inline QRect rectFrom(const QByteArray& text)
{
    const QList<QByteArray> f = text.trimmed().split(',');
    int v[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = f.size() == 4 ? f[i].toInt(&ok) : 0;
        if (!ok)
            return {};
    }
    return QRect(v[0], v[1], v[2], v[3]);
}
} // namespace StatsCommands
