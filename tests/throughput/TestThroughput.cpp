#include "ControlRegistry.h"
#include "OleColor.h"
#include "Throughput.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <tuple>

namespace {

constexpr qint32 int32Max = std::numeric_limits<qint32>::max();
constexpr quint32 white = 0x00FFFFFF;

// A flat graph (1-pixel frame) whose surface is width x height, black with green bars.
std::unique_ptr<Throughput> makeGraph(int width, int height, qint32 barWidth = 2, qint32 max = 100)
{
    auto graph = std::make_unique<Throughput>();
    graph->ReadProperties(MapPropertyBag(
        {{"BackColor", 0}, {"ForeColor", 0x0000FF00}, {"Max", max}, {"BarWidth", barWidth}, {"Flat", true}}));
    graph->resize(width + 2, height + 2);
    graph->Resize();
    return graph;
}

// The surface column by column, each top to bottom: '.' black, '#' green, 'w' white, '?' anything else.
QString picture(const Throughput& graph)
{
    static const QList<QRgb> known {qRgb(0, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 255)};
    QStringList columns;
    for (int x = 0; x < graph.surface().width(); ++x) {
        columns.append(QString());
        for (int y = 0; y < graph.surface().height(); ++y)
            columns.last() += QStringLiteral("?.#w").at(known.indexOf(graph.surface().pixel(x, y)) + 1);
    }
    return columns.join('|');
}

// What WriteProperties stores, in name order: BackColor, BarWidth, Flat, ForeColor, Inverted, Max.
QVariantList saved(const Throughput& graph)
{
    MapPropertyBag bag;
    graph.WriteProperties(bag);
    return bag.values().values();
}

} // namespace

class TestThroughput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void barHeights()
    {
        // {height, max, sample, inverted, expected bar height in rows}
        const std::tuple<int, qint32, qint32, bool, int> cases[] = {
            {20, 100, 50, false, 9},  {20, 100, 0, false, 0},   {20, 100, 50, true, 9},
            {17, 100, 50, false, 8},  {15, 100, 50, false, 6}, // 7.5 and 6.5 go to the even neighbour
            {20, 100, 150, true, 20}, // above max: clipped to the full height
            {20, 100, 1, false, 0},   {20, -100, 50, false, 0}, // b = -1, and a negative Max: nothing shows
        };
        for (const auto& [height, max, sample, inverted, bar] : cases) {
            auto graph = makeGraph(2, height, 2, max);
            graph->setInverted(inverted);
            graph->Update(int32Max / 2); // a full bar, which the next sample must erase
            graph->Update(sample);
            const QString empty(height - bar, '.'), filled(bar, '#');
            const QString column = inverted ? filled + empty : empty + filled;
            QCOMPARE(picture(*graph), column + '|' + column);
        }
    }

    void scrollAndBarWidths()
    {
        auto graph = makeGraph(8, 4, 3);
        graph->Update(100); // b = 3
        graph->Update(50); // b = 1
        QCOMPARE(picture(*graph), "....|....|.###|.###|.###|...#|...#|...#");
        graph->Update(-1);
        QCOMPARE(picture(*graph), ".###|.###|...#|...#|...#|....|....|....");

        // Zero neither scrolls nor shows a strip; a negative width draws outside the surface.
        const QList<QPair<qint32, QString>> cases {
            {0, "....|....|...."}, {5, ".###|.###|.###"}, {-2, "....|....|...."}, {int32Max, ".###|.###|.###"}};
        for (const auto& [barWidth, expected] : cases) {
            graph = makeGraph(3, 4, barWidth);
            graph->Update(100);
            QCOMPARE(picture(*graph), expected);
        }
    }

    void errors()
    {
        using Kind = ThroughputError::Kind;
        // {BarWidth, Max, sample, error, picture}: old pixels are black, erased ones white.
        const std::tuple<qint32, qint32, qint32, std::optional<Kind>, QString> cases[] = {
            {1, 0, 7, Kind::Division, "..|..|..|ww"}, // after the scroll and the erase
            {1, 0, 0, std::nullopt, "..|..|..|ww"}, // a non-positive sample never divides
            {1, 1, int32Max, Kind::Overflow, "..|..|..|ww"}, // bar height beyond 32 bits
            {std::numeric_limits<qint32>::min(), 1, 7, Kind::Overflow,
             "..|..|..|.."}, // -BarWidth: before anything is drawn
        };
        for (const auto& [barWidth, max, sample, kind, expected] : cases) {
            auto graph = makeGraph(4, 2, barWidth, max);
            graph->setBackColor(white);
            std::optional<Kind> thrown;
            try {
                graph->Update(sample);
            } catch (const ThroughputError& error) {
                thrown = error.kind();
            }
            QCOMPARE(thrown, kind);
            QCOMPARE(picture(*graph), expected);
        }
    }

    void settersClearOrKeepThePicture()
    {
        auto graph = makeGraph(2, 3);
        QSignalSpy changed(graph.get(), &Throughput::propertyChanged);
        const QList<QPair<QString, std::function<void()>>> setters {
            {"Max", [&] { graph->setMax(graph->Max()); }},
            {"BarWidth", [&] { graph->setBarWidth(graph->BarWidth()); }},
            {"Flat", [&] { graph->setFlat(graph->Flat()); }},
            {"Inverted", [&] { graph->setInverted(graph->Inverted()); }},
            {"BackColor", [&] { graph->setBackColor(graph->BackColor()); }},
            {"ForeColor", [&] { graph->setForeColor(white); }},
        };
        for (const auto& [name, set] : setters) {
            graph->Update(100);
            set();
            QCOMPARE(changed.takeFirst(), QVariantList {name});
            QCOMPARE(picture(*graph), name.endsWith("Color") ? ".##|.##" : "...|...");
        }
        QVERIFY(changed.isEmpty());
    }

    void surfaceFollowsTheInnerSize()
    {
        QWidget window;
        auto* graph = new Throughput(&window);
        graph->resize(30, 20);
        window.show();
        QCOMPARE(graph->surface().size(), QSize(26, 16)); // three-dimensional frame: 2 pixels each side
        graph->resize(5, 3); // lower than the frame
        QCOMPARE(QSize(graph->surfaceWidth(), graph->surfaceHeight()), QSize(1, 0));
        graph->Update(100);
    }

    void persistedProperties()
    {
        auto graph = makeGraph(2, 2, 2, 9);
        graph->setInverted(true);
        // A value that cannot be converted keeps the old one, a missing one takes the default, the rest still load.
        for (const char* name : {"ForeColor", "Max", "Inverted", "Max"})
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QString("stored %1 is unreadable").arg(name)));
        graph->ReadProperties(MapPropertyBag({{"backcolor", qint32(0x80000011)},
                                              {"ForeColor", "red"},
                                              {"MAX", "abc"},
                                              {"BarWidth", 2.5},
                                              {"Flat", "False"},
                                              {"Inverted", "maybe"}}));
        QCOMPARE(saved(*graph), (QVariantList {0x80000011u, 2, false, 0x0000FF00u, true, 9}));
        graph->ReadProperties(MapPropertyBag({{"Max", 3e9}, {"BarWidth", "7"}, {"Flat", 1}}));
        QCOMPARE(saved(*graph), (QVariantList {0x8000000Fu, 7, true, 0x80000012u, false, 9}));

        MapPropertyBag bag({{"Max", 1}});
        bag.writeProperty("MAX", 88);
        QCOMPARE(bag.values(), (QVariantMap {{"MAX", 88}}));
    }

    void coloursAndRegistry()
    {
        QCOMPARE(oleColor(0x00FF8040), QColor(0x40, 0x80, 0xFF));
        QCOMPARE(oleColor(0x800000FF), QColor(Qt::black));
        auto graph = makeGraph(2, 2);
        graph->setForeColor(0x80000012);
        graph->Update(100);
        QCOMPARE(graph->surface().pixel(1, 1), QGuiApplication::palette().color(QPalette::ButtonText).rgb());

        // A container that stores only the class name gets the control back, whatever the case.
        QWidget parent;
        QWidget* control = createControl("zovodazad.THROUGHPUT", &parent);
        QVERIFY(qobject_cast<Throughput*>(control));
        QCOMPARE(control->parent(), &parent);
        QVERIFY(!createControl("Zovodazad.Other"));
    }
};

QTEST_MAIN(TestThroughput)
#include "TestThroughput.moc"
