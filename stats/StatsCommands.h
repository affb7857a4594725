#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>

#include <optional>

// How the monitor and the statistics window's own process talk: the monitor starts ExecutableName with the
// database's path and writes a show line to its standard input for each later Volume Graphs command; closing that
// input ends the process. Both carry, when the monitor window is on screen, the area it covers, as
// "x,y,width,height": the statistics window keeps clear of it, so the window on top hides none of it. A show line
// also carries the startup id of the user's request ("id:" and the id), which brings the window to the front;
// a new process gets it as DESKTOP_STARTUP_ID, as any program started on a request does.
namespace StatsCommands {
inline constexpr const char* ExecutableName = "zovodazad-stats";
inline constexpr const char* Show = "show";
inline constexpr const char* Avoid = "--avoid";
// The adapter the window opens on, and the line on its standard output that names the one the user picks (empty for
// all counted adapters), which the monitor stores for the next time.
inline constexpr const char* Adapter = "--adapter";
inline constexpr const char* Chosen = "adapter ";
inline constexpr const char* Id = "id:";

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

// "show [x,y,width,height] [id:<startup id>]" and its line feed. Startup ids hold no white space.
inline QByteArray showLine(const QRect& area, const QByteArray& startupId)
{
    QByteArray line = Show;
    if (!area.isEmpty())
        line += ' ' + rectText(area);
    if (!startupId.isEmpty())
        line += ' ' + QByteArray(Id) + startupId;
    return line + '\n';
}

struct ShowRequest
{
    QRect area;
    QByteArray startupId;
};

// The request of a show line (without its line feed); none for any other line.
inline std::optional<ShowRequest> showRequestFrom(const QByteArray& line)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    if (words.first() != Show)
        return std::nullopt;
    ShowRequest request;
    for (const QByteArray& word : words.mid(1)) {
        if (word.startsWith(Id))
            request.startupId = word.mid(int(qstrlen(Id)));
        else
            request.area = rectFrom(word);
    }
    return request;
}
} // namespace StatsCommands
