#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Replays a fuzz target's checked-in corpus through the same entry point, so every build (and the sanitizer
// run) checks the parser on the inputs that once found or guard against faults.
class TestFuzzReplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void corpus()
    {
        const QFileInfoList files = QDir(QStringLiteral(ZOVO_CORPUS)).entryInfoList(QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QFileInfo& info : files) {
            QFile f(info.filePath());
            QVERIFY(f.open(QIODevice::ReadOnly));
            // A copy of exactly the file's size, so a read past the end is caught by the sanitizers.
            const QByteArray bytes = f.readAll();
            std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
            QCOMPARE(LLVMFuzzerTestOneInput(input.data(), input.size()), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
