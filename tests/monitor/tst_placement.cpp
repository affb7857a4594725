#include "MonitorPlacement.h"

#include <QTest>

Q_DECLARE_METATYPE(ScreenArea)
Q_DECLARE_METATYPE(std::optional<QPoint>)

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
    void position_data()
    {
        QTest::addColumn<QList<ScreenArea>>("screens");
        QTest::addColumn<QRect>("icon");
        QTest::addColumn<std::optional<QPoint>>("user");
        QTest::addColumn<QPoint>("expected");
        const std::optional<QPoint> none;
        // Next to the icon, centred on it where the screen allows, never under a panel.
        QTest::newRow("above an icon in a bottom panel")
            << QList {Bottom} << QRect(900, 1048, 24, 24) << none << QPoint(761, 880);
        QTest::newRow("pushed in from the corner")
            << QList {Bottom} << QRect(1880, 1048, 24, 24) << none << QPoint(1620, 880);
        QTest::newRow("below an icon in a top panel")
            << QList {Top} << QRect(1880, 8, 24, 24) << none << QPoint(1620, 40);
        QTest::newRow("beside an icon in a left panel")
            << QList {Left} << QRect(8, 1000, 24, 24) << none << QPoint(40, 920);
        QTest::newRow("beside an icon in a right panel")
            << QList {Right} << QRect(1888, 500, 24, 24) << none << QPoint(1580, 431);
        QTest::newRow("icon in a panel that hides itself")
            << QList {ScreenArea {FullHd, FullHd}} << QRect(900, 1056, 24, 24) << none << QPoint(761, 896);
        QTest::newRow("icon on the second screen")
            << QList {Bottom, Second} << QRect(4400, 4, 24, 24) << none << QPoint(4180, 32);
        // No icon geometry (StatusNotifierItem hosts): the corner nearest the primary screen's panel.
        QTest::newRow("corner of a bottom panel") << QList {Bottom, Second} << QRect() << none << QPoint(1620, 880);
        QTest::newRow("corner of a top panel") << QList {Top} << QRect() << none << QPoint(1620, 40);
        QTest::newRow("corner of a left panel") << QList {Left} << QRect() << none << QPoint(40, 920);
        QTest::newRow("corner of a right panel") << QList {Right} << QRect() << none << QPoint(1580, 920);
        // Where the user left it, whole on a screen that exists now.
        QTest::newRow("left by the user") << QList {Bottom, Second} << QRect(900, 1048, 24, 24)
                                          << std::optional(QPoint(3000, 500)) << QPoint(3000, 500);
        QTest::newRow("half off the screen")
            << QList {Bottom} << QRect() << std::optional(QPoint(1800, 1000)) << QPoint(1620, 880);
        QTest::newRow("on a screen since removed")
            << QList {Bottom} << QRect(900, 1048, 24, 24) << std::optional(QPoint(3000, 500)) << QPoint(1620, 500);
        QTest::newRow("under the panel of the second screen")
            << QList {Bottom, Second} << QRect() << std::optional(QPoint(2500, 10)) << QPoint(2500, 32);
    }

    void position()
    {
        QFETCH(QList<ScreenArea>, screens);
        QFETCH(QRect, icon);
        QFETCH(std::optional<QPoint>, user);
        QFETCH(QPoint, expected);
        QCOMPARE(monitorPosition(Frame, screens, icon, user), expected);
    }
};

QTEST_APPLESS_MAIN(TestPlacement)
#include "tst_placement.moc"
