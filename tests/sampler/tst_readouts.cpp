#include "Readouts.h"

#include <QLocale>
#include <QTest>

class TestReadouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("just below a MB") << VolumeText(1048575) << "1,024.0 kB";
        QTest::newRow("one MB") << VolumeText(1048576) << "1.00 MB";
        QTest::newRow("bytes") << RateLine(500, 12.34, 1234.5, false) << "500.0 kBps/s (Avg: 12.3 - Max: 1,234.5)";
        // 500 kB/s is 4096 Kbps: only the current value turns into Mbps, average and maximum stay in Kbps.
        QTest::newRow("bits, Mbps") << RateLine(500, 100, 500, true) << "4.0 Mbps/s (Avg: 819.2 - Max: 4,096.0)";
        QTest::newRow("bits, just below 1024 Kbps")
            << RateLine(124.9, 1, 124.9, true) << "1,023.2 Kbps/s (Avg: 8.2 - Max: 1,023.2)";
        QTest::newRow("zero, bytes") << ZeroRateLine(1500, 2000, false) << "0.0 kBps/s (Avg: 1,500.0 - Max: 2,000.0)";
        QTest::newRow("zero, bits") << ZeroRateLine(10, 0, true) << "0.0 Kbps/s (Avg: 81.9 - Max: 0.0)";
        QTest::newRow("tooltip, bytes: no grouping") << GraphToolTip(1501, false) << "Graph Max: 1501";
        QTest::newRow("tooltip, bits") << GraphToolTip(501, true) << "Graph Max: 4,104";
    }

    void texts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void followsTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(VolumeText(1048575), QString("1.024,0 kB"));
        // The zero line's "0.0" is fixed text; the average follows the locale.
        QCOMPARE(ZeroRateLine(1.5, 2, false), QString("0.0 kBps/s (Avg: 1,5 - Max: 2,0)"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
};

QTEST_GUILESS_MAIN(TestReadouts)
#include "tst_readouts.moc"
