#include "MonitorPlacement.h"

#include <algorithm>

namespace {

enum class Side { Bottom, Top, Left, Right };

// r moved into area; a rectangle larger than the area keeps its top left corner in it.
QRect movedInto(QRect r, const QRect& area)
{
    r.moveLeft(std::max(area.left(), std::min(r.left(), area.right() + 1 - r.width())));
    r.moveTop(std::max(area.top(), std::min(r.top(), area.bottom() + 1 - r.height())));
    return r;
}

qint64 overlap(const QRect& a, const QRect& b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

qint64 distance(const QRect& area, const QPoint& p)
{
    const qint64 dx = std::max({area.left() - p.x(), 0, p.x() - area.right()});
    const qint64 dy = std::max({area.top() - p.y(), 0, p.y() - area.bottom()});
    return dx * dx + dy * dy;
}

// The screen that shows most of r, or the nearest one when none shows any of it.
const ScreenArea& screenFor(const QList<ScreenArea>& screens, const QRect& r)
{
    return *std::min_element(screens.cbegin(), screens.cend(), [&r](const ScreenArea& a, const ScreenArea& b) {
        const qint64 oa = overlap(a.geometry, r), ob = overlap(b.geometry, r);
        if (oa != ob)
            return oa > ob;
        return distance(a.geometry, r.center()) < distance(b.geometry, r.center());
    });
}

// The edge the panels take most of, bottom when they take none.
Side panelSide(const ScreenArea& s)
{
    const std::pair<int, Side> gaps[] = {{s.geometry.bottom() - s.available.bottom(), Side::Bottom},
                                         {s.available.top() - s.geometry.top(), Side::Top},
                                         {s.available.left() - s.geometry.left(), Side::Left},
                                         {s.geometry.right() - s.available.right(), Side::Right}};
    return std::max_element(std::begin(gaps), std::end(gaps),
                            [](const auto& a, const auto& b) { return a.first < b.first; })
        ->second;
}

// The side of the available area the icon lies beyond; for an icon inside it (a panel that hides itself), the
// screen edge nearest to the icon.
Side iconSide(const ScreenArea& s, const QRect& icon)
{
    const QRect& a = s.available;
    if (icon.top() > a.bottom())
        return Side::Bottom;
    if (icon.bottom() < a.top())
        return Side::Top;
    if (icon.right() < a.left())
        return Side::Left;
    if (icon.left() > a.right())
        return Side::Right;
    const QPoint c = icon.center();
    const std::pair<int, Side> gaps[] = {{s.geometry.bottom() - c.y(), Side::Bottom},
                                         {c.y() - s.geometry.top(), Side::Top},
                                         {c.x() - s.geometry.left(), Side::Left},
                                         {s.geometry.right() - c.x(), Side::Right}};
    return std::min_element(std::begin(gaps), std::end(gaps),
                            [](const auto& x, const auto& y) { return x.first < y.first; })
        ->second;
}

} // namespace

QPoint monitorPosition(const QSize& frame, const QList<ScreenArea>& screens, const QRect& icon,
                       const std::optional<QPoint>& userPosition)
{
    if (userPosition) {
        const QRect r(*userPosition, frame);
        return movedInto(r, screenFor(screens, r).available).topLeft();
    }
    QRect r(QPoint(), frame);
    if (icon.isValid()) {
        const ScreenArea& screen = screenFor(screens, icon);
        switch (iconSide(screen, icon)) {
        case Side::Bottom:
            r.moveBottomLeft(QPoint(icon.center().x() - frame.width() / 2, icon.top() - 1));
            break;
        case Side::Top:
            r.moveTopLeft(QPoint(icon.center().x() - frame.width() / 2, icon.bottom() + 1));
            break;
        case Side::Left:
            r.moveTopLeft(QPoint(icon.right() + 1, icon.center().y() - frame.height() / 2));
            break;
        case Side::Right:
            r.moveTopRight(QPoint(icon.left() - 1, icon.center().y() - frame.height() / 2));
            break;
        }
        return movedInto(r, screen.available).topLeft();
    }
    const ScreenArea& primary = screens.first();
    const QRect& a = primary.available;
    switch (panelSide(primary)) {
    case Side::Top:
        r.moveTopRight(a.topRight());
        break;
    case Side::Left:
        r.moveBottomLeft(a.bottomLeft());
        break;
    case Side::Bottom:
    case Side::Right:
        r.moveBottomRight(a.bottomRight());
        break;
    }
    return movedInto(r, a).topLeft();
}
