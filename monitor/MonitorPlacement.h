#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// A screen as the placement sees it: all of it, and the part that panels leave free.
struct ScreenArea
{
    QRect geometry;
    QRect available;
};

// Where the monitor window's frame (its outer size, title bar included) goes, as its top left corner:
// - where the user left it, when given, moved just as far as needed to lie whole on a screen that exists now;
// - else next to the tray icon, where the tray tells where it is: above it for a panel at the bottom, below it for
//   one at the top, beside it for a panel at the left or right;
// - else in the corner of the primary screen nearest its panel, at the right end of a panel at the top or bottom.
// Always within a screen's available area. The first screen is the primary one; there is at least one.
QPoint monitorPosition(const QSize& frame, const QList<ScreenArea>& screens, const QRect& icon,
                       const std::optional<QPoint>& userPosition);
