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
    graph->setBackColor(QColor(Qt::black));
    graph->setForeColor(QColor(Qt::red));
    graph->setMax(max);
    graph->setBarWidth(barWidth);
    graph->setInverted(inverted);
    graph->resize(width + 4, height + 4); // a three-dimensional frame: 2 pixels each side
    graph->Resize();
    graph->setBackColor(QColor(Qt::white));
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
            {1, 4, 1, 100, true, {150}, {}, "####"}, // above Max: clipped to the full height
            {1, 4, 1, 100, false, {10}, {}, "wwww"}, // b = -1
            {1, 4, 1, -100, false, {50}, {}, "wwww"},
            {8, 4, 3, 100, false, {100, 50, -1}, {}, "w###|w###|www#|www#|www#|wwww|wwww|wwww"},
            // more bars than a hidden graph keeps: the last three cover the width
            {8, 4, 3, 100, false, {50, 50, 100, 50, -1, 100, 100}, {}, "wwww|wwww|w###|w###|w###|w###|w###|w###"},
            {3, 2, 0, 100, false, {100}, {}, "..|..|.."}, // zero neither scrolls nor erases
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

    // Scale, bar and frame settings start an empty graph; colours apply from the next bar on. (The palette's colours
    // follow a change of desktop scheme: the monitor window's test.)
    void settings()
    {
        auto graph = makeGraph(2, 3);
        const QList<QPair<std::function<void()>, bool>> setters {
            {[&] { graph->setMax(graph->Max()); }, false},
            {[&] { graph->setBarWidth(graph->BarWidth()); }, false},
            {[&] { graph->setFlat(graph->Flat()); }, false},
            {[&] { graph->setInverted(graph->Inverted()); }, false},
            {[&] { graph->setBackColor(graph->BackColor()); }, true},
            {[&] { graph->setForeColor(graph->ForeColor()); }, true},
        };
        for (const auto& [set, keeps] : setters) {
            graph->Update(100);
            set();
            QCOMPARE(picture(*graph), keeps ? "w##|w##" : "www|www");
        }
        graph->setFlat(true); // a one-pixel frame leaves more room
        QCOMPARE(graph->surface().size(), QSize(4, 5));
    }
};

QTEST_MAIN(TestThroughput)
#include "TestThroughput.moc"
