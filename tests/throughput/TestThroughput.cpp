#include "ControlRegistry.h"
#include "OleColor.h"
#include "Throughput.h"

#include <QtTest>

#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

namespace {

// A graph whose width x height surface is black; it draws red bars and erases to white, so the old picture, the
// erased strip and the bar can be told apart.
std::unique_ptr<Throughput> makeGraph(int width, int height, qint32 barWidth = 2, qint32 max = 100,
                                      bool inverted = false, bool shown = false)
{
    auto graph = std::make_unique<Throughput>();
    graph->setVisible(shown);
    graph->ReadProperties(MapPropertyBag(
        {{"BackColor", 0}, {"ForeColor", 0xFF}, {"Max", max}, {"BarWidth", barWidth}, {"Inverted", inverted}}));
    graph->resize(width + 4, height + 4); // a three-dimensional frame: 2 pixels each side
    graph->Resize();
    graph->setBackColor(0x00FFFFFF);
    return graph;
}

// The surface column by column, each top to bottom: '.' black, '#' red, 'w' white, '?' anything else.
QString picture(Throughput& graph)
{
    static const QList<QRgb> known {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(255, 255, 255)};
    QStringList columns;
    for (int x = 0; x < graph.surface().width(); ++x) {
        columns.append(QString());
        for (int y = 0; y < graph.surface().height(); ++y)
            columns.last() += QStringLiteral("?.#w").at(known.indexOf(graph.surface().pixel(x, y)) + 1);
    }
    return columns.join('|');
}

// What WriteProperties stores, in name order: BackColor, BarWidth, Flat, ForeColor, Inverted, Max. The bag holds
// "MAX" already, which must be replaced, not joined.
QVariantList saved(const Throughput& graph)
{
    MapPropertyBag bag({{"MAX", 0}});
    graph.WriteProperties(bag);
    return bag.values().values();
}

} // namespace

class TestThroughput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void update()
    {
        using Kind = ThroughputError::Kind;
        // {width, height, BarWidth, Max, inverted, samples, error, picture}
        const std::tuple<int, int, qint32, qint32, bool, QList<qint32>, std::optional<Kind>, QString> cases[] = {
            {1, 20, 1, 100, true, {50}, {}, QString(9, '#') + QString(11, 'w')},
            {1, 7, 1, 100, false, {50}, {}, "wwwww##"}, // 2.5 and 1.5 go to the even neighbour
            {1, 5, 1, 100, false, {50}, {}, "www##"},
            {1, 4, 1, 100, true, {150}, {}, "####"}, // above Max: clipped to the full height
            {1, 4, 1, 100, false, {10}, {}, "wwww"}, // b = -1
            {1, 4, 1, -100, false, {50}, {}, "wwww"},
            {8, 4, 3, 100, false, {100, 50, -1}, {}, "w###|w###|www#|www#|www#|wwww|wwww|wwww"},
            // more bars than a hidden graph keeps: the last three cover the width
            {8, 4, 3, 100, false, {50, 50, 100, 50, -1, 100, 100}, {}, "wwww|wwww|w###|w###|w###|w###|w###|w###"},
            {3, 2, 0, 100, false, {100}, {}, "..|..|.."}, // zero neither scrolls nor erases
            {3, 2, -2, 100, false, {100}, {}, "..|..|.."}, // draws outside the surface
            {3, 2, INT_MAX, 100, false, {100}, {}, "w#|w#|w#"},
            {3, 2, 1, 0, false, {7}, Kind::Division, "..|..|ww"}, // after the scroll and the erase
            {3, 2, 1, 0, false, {0}, {}, "..|..|ww"}, // a sample of 0 neither divides nor draws
            {3, 2, 1, 1, false, {INT_MAX}, Kind::Overflow, "..|..|ww"}, // bar height beyond 32 bits
            {3, 2, INT_MIN, 1, false, {7}, Kind::Overflow, "..|..|.."}, // -BarWidth: before anything is drawn
        };
        // A hidden graph queues what a shown one draws at once; the pictures must not differ.
        for (const bool shown : {false, true}) {
            for (const auto& [width, height, barWidth, max, inverted, samples, kind, expected] : cases) {
                auto graph = makeGraph(width, height, barWidth, max, inverted, shown);
                std::optional<Kind> thrown;
                try {
                    for (qint32 sample : samples)
                        graph->Update(sample);
                } catch (const ThroughputError& error) {
                    thrown = error.kind();
                }
                QCOMPARE(thrown, kind);
                QCOMPARE(picture(*graph), expected);
            }
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
            {"ForeColor", [&] { graph->setForeColor(graph->ForeColor()); }},
        };
        for (const auto& [name, set] : setters) {
            graph->Update(100);
            set();
            QCOMPARE(changed.takeFirst(), QVariantList {name});
            QCOMPARE(picture(*graph), name.endsWith("Color") ? "w##|w##" : "www|www");
        }
        QVERIFY(changed.isEmpty());
    }

    void persistedProperties()
    {
        auto graph = makeGraph(2, 2, 2, 9, true);
        // A value that cannot be converted keeps the old one, a missing one takes the default, the rest still load.
        for (const char* name : {"ForeColor", "Max", "Inverted", "Max"})
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QString("stored %1 is unreadable").arg(name)));
        graph->ReadProperties(MapPropertyBag({{"backcolor", qint32(0x80000011)},
                                              {"ForeColor", "red"},
                                              {"MAX", "abc"},
                                              {"BarWidth", 2.5},
                                              {"Flat", "False"},
                                              {"Inverted", "maybe"}}));
        QCOMPARE(saved(*graph), (QVariantList {0x80000011u, 2, false, 0x000000FFu, true, 9}));
        graph->ReadProperties(MapPropertyBag({{"Max", 3e9}, {"BarWidth", "7"}, {"Flat", 1}}));
        QCOMPARE(saved(*graph), (QVariantList {0x8000000Fu, 7, true, 0x80000012u, false, 9}));
    }

    // A container that stores only the class name gets the control back, whatever the case. Its surface follows the
    // size and starts in the button face colour.
    void embedded()
    {
        QVERIFY(!createControl("Zovodazad.Other"));
        QWidget parent;
        auto* graph = qobject_cast<Throughput*>(createControl("zovodazad.THROUGHPUT", &parent));
        QVERIFY(graph && graph->parent() == &parent);
        graph->resize(30, 20);
        parent.show();
        QCOMPARE(graph->surface().size(), QSize(26, 16));
        QCOMPARE(graph->surface().pixel(0, 0), QGuiApplication::palette().color(QPalette::Button).rgb());
        QCOMPARE(oleColor(0x800000FF), QColor(Qt::black)); // no such system colour
    }
};

QTEST_MAIN(TestThroughput)
#include "TestThroughput.moc"
