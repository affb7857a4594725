#include "MonitorPlacement.h"

#include <QTest>

namespace {

const QSize Frame(300, 160);
const QRect FullHd(0, 0, 1920, 1080);
// The primary screen with a 40-pixel panel at each edge in turn, and a second screen to its right, 2560 x 1440,
// with a 32-pixel panel at the top.
const ScreenArea Bottom {FullHd, QRect(0, 0, 1920, 1040)};
const ScreenArea Top {FullHd, QRect(0, 40, 1920, 1040)};
const ScreenArea Left {FullHd, QRect(40, 0, 1880, 1080)};
const ScreenArea Right {FullHd, QRect(0, 0, 1880, 1080)};
const ScreenArea Second {QRect(1920, 0, 2560, 1440), QRect(1920, 32, 2560, 1408)};

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void position()
    {
        const struct
        {
            const char* name;
            QList<ScreenArea> screens;
            QRect icon;
            std::optional<QPoint> user;
            QPoint expected;
        } rows[] = {
            // Next to the icon, centred on it where the screen allows, never under a panel.
            {"above an icon in a bottom panel", {Bottom}, {900, 1048, 24, 24}, {}, {761, 880}},
            {"pushed in from the corner", {Bottom}, {1880, 1048, 24, 24}, {}, {1620, 880}},
            {"below an icon in a top panel", {Top}, {1880, 8, 24, 24}, {}, {1620, 40}},
            {"beside an icon in a left panel", {Left}, {8, 1000, 24, 24}, {}, {40, 920}},
            {"beside an icon in a right panel", {Right}, {1888, 500, 24, 24}, {}, {1580, 431}},
            {"icon in a panel that hides itself", {{FullHd, FullHd}}, {900, 1056, 24, 24}, {}, {761, 896}},
            {"icon on the second screen", {Bottom, Second}, {4400, 4, 24, 24}, {}, {4180, 32}},
            // No icon geometry (StatusNotifierItem hosts): the corner nearest the primary screen's panel.
            {"corner of a bottom panel", {Bottom, Second}, {}, {}, {1620, 880}},
            {"corner of a right panel", {Right}, {}, {}, {1580, 920}},
            // Where the user left it, whole on a screen that exists now.
            {"left by the user", {Bottom, Second}, {900, 1048, 24, 24}, QPoint(3000, 500), {3000, 500}},
            {"half off the screen", {Bottom}, {}, QPoint(1800, 1000), {1620, 880}},
            {"on a screen since removed", {Bottom}, {900, 1048, 24, 24}, QPoint(3000, 500), {1620, 500}},
            {"under the panel of the second screen", {Bottom, Second}, {}, QPoint(2500, 10), {2500, 32}},
        };
        for (const auto& r : rows)
            QVERIFY2(monitorPosition(Frame, r.screens, r.icon, r.user) == r.expected, r.name);
    }
};

QTEST_APPLESS_MAIN(TestPlacement)
#include "tst_placement.moc"
