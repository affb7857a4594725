#include "CsvExport.h"

#include "Currency.h"
#include "Db.h"
#include "MessageBox.h"
#include "RegularFile.h"
#include "SettingRows.h"
#include "Settings.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <cmath>
#include <fcntl.h>

namespace {

QString withHundredths(const QString& whole, qint64 hundredths)
{
    return whole + QLatin1Char('.') + QStringLiteral("%1").arg(hundredths, 2, 10, QLatin1Char('0'));
}

QString periodText(const QVariant& ddate, bool perDay)
{
    const QString text = ddate.toString();
    if (!perDay)
        return text;
    const QDate day = QDate::fromString(text.left(10), Qt::ISODate);
    return day.isValid() ? day.toString(QStringLiteral("yyyyMMdd")) : text;
}

} // namespace

QString csvNumber(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral(".");
    const double v = value.toDouble();
    // A negative value keeps its sign in front of the same digits a positive one would get.
    const double a = std::fabs(v);
    const double whole = std::trunc(a);
    const auto hundredths = static_cast<qint64>(std::trunc((a - whole) * 100));
    return (v < 0 ? QStringLiteral("-") : QString()) + withHundredths(QString::number(whole, 'f', 0), hundredths);
}

QString csvFixedPoint(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral(".");
    const qint64 units = Currency::fromDouble(value.toDouble()).units();
    const quint64 a = units < 0 ? 0 - static_cast<quint64>(units) : static_cast<quint64>(units);
    const quint64 scale = Currency::Scale;
    return (units < 0 ? QStringLiteral("-") : QString())
        + withHundredths(QString::number(a / scale), static_cast<qint64>(a % scale / 100));
}

QString exportQuery(int view)
{
    static const char* const Views[] = {"DownloadPerday", "DownloadPerWeek", "DownloadPerMonth", "DownloadPerYear"};
    return QStringLiteral("select * from %1 order by ddate desc").arg(QLatin1String(Views[qBound(0, view, 3)]));
}

bool writeCsv(QIODevice& out, DbRecordset& rs, bool perDay)
{
    auto put = [&out](const QString& line) {
        const QByteArray bytes = line.toUtf8() + "\r\n";
        return out.write(bytes) == bytes.size();
    };
    if (!put(QStringLiteral("Period,KBDown,KBUp,AvgSpeed")))
        return false;
    for (; !rs.atEnd(); rs.moveNext()) {
        const QString line = periodText(rs.field(QStringLiteral("ddate")), perDay) + QLatin1Char(',')
            + csvNumber(rs.field(QStringLiteral("kbdown"))) + QLatin1Char(',')
            + csvNumber(rs.field(QStringLiteral("kbup"))) + QLatin1Char(',')
            + csvFixedPoint(rs.field(QStringLiteral("avgdown")));
        if (!put(line))
            return false;
    }
    return true;
}

CsvExport::CsvExport(DbConnection& db, DbCommand& command, MessageBoxes& boxes, QWidget* owner)
    : m_db(db)
    , m_command(command)
    , m_boxes(boxes)
    , m_owner(owner)
{
}

void CsvExport::run(const QString& typedPath, int view, const std::function<void(const QString&)>& showPath)
{
    const QString path = typedPath.trimmed();
    // Only a regular file counts as existing: a folder or a device of that name is never asked about or deleted.
    if (!QFileInfo(path).isFile())
        return write(path, view, showPath);
    m_boxes.ask(
        path.toUpper() + QStringLiteral(" already exists !\r\nOverwrite ?"), MessageBoxes::Buttons::YesNo,
        MessageBoxes::Icon::Question, QStringLiteral("Continue ?"),
        [self = *this, path, view, showPath](MessageBoxes::Answer answer) mutable {
            if (answer != MessageBoxes::Answer::Yes)
                return;
            // Deleting first, rather than truncating, lets a read-only file in a writable folder be replaced.
            QFile::remove(path);
            self.write(path, view, showPath);
        },
        m_owner);
}

void CsvExport::write(QString path, int view, const std::function<void(const QString&)>& showPath)
{
    QFile file;
    DbRecordset rs;
    // The file and the query are released before the box, which lets the sampler tick on meanwhile.
    auto fail = [&] {
        rs.close();
        file.close();
        tell(QStringLiteral("Export Failed"), false);
    };
    // A named pipe or a device is refused before it is opened: writing to one would block the program.
    const auto create = [&file](const QString& name) {
        const int fd = name.isEmpty() ? -1 : openRegularFile(name, O_WRONLY | O_CREAT | O_TRUNC, nullptr);
        return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    };
    bool fallback = false;
    if (!create(path)) {
        fallback = true;
        path = SettingsRecord::defaultExportPath();
        showPath(path);
        if (!create(path))
            return fail();
    }
    // The path is kept even when writing fails later; failing to keep a path the user chose is not fatal.
    if (!replaceSetting(m_db, m_command, QStringLiteral("ExportFolder"), path) && fallback)
        return fail();
    if (!rs.open(m_db, exportQuery(view)) || !writeCsv(file, rs, view == 0) || !file.flush())
        return fail();
    rs.close();
    file.close();
    tell(QStringLiteral("Export Succeeded !"), true);
}

void CsvExport::tell(const QString& prompt, bool succeeded)
{
    m_boxes.ask(prompt, MessageBoxes::Buttons::Ok,
                succeeded ? MessageBoxes::Icon::Information : MessageBoxes::Icon::Critical,
                succeeded ? QStringLiteral("Success!") : QStringLiteral("Failed :-("), {}, m_owner);
}
