#include "CsvExport.h"

#include "MessageBox.h"
#include "RegularFile.h"
#include "TrafficEngine.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>

CsvExport::CsvExport(TrafficEngine& engine, MessageBoxes& boxes, QWidget* owner)
    : m_engine(engine)
    , m_boxes(boxes)
    , m_owner(owner)
{
}

void CsvExport::run(const QString& typedPath, int view, const QString& adapter,
                    const std::function<void(const QString&)>& showPath)
{
    const QString path = typedPath.trimmed();
    // Only a regular file counts as existing: a folder or a device of that name is never asked about or deleted, and
    // a symbolic link, which could send the file anywhere (one planted in a shared folder), is refused.
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return write(path, view, adapter, showPath);
    m_boxes.ask(
        tr("%1 already exists !\r\nOverwrite ?").arg(path.toUpper()), MessageBoxes::Buttons::YesNo,
        MessageBoxes::Icon::Question, tr("Continue ?"),
        [self = *this, path, view, adapter, showPath](MessageBoxes::Answer answer) mutable {
            if (answer != MessageBoxes::Answer::Yes)
                return;
            // Deleting first, rather than truncating, lets a read-only file in a writable folder be replaced.
            QFile::remove(path);
            self.write(path, view, adapter, showPath);
        },
        m_owner);
}

void CsvExport::write(QString path, int view, const QString& adapter,
                      const std::function<void(const QString&)>& showPath)
{
    QFile file;
    // The file is released before the box, which lets the sampler tick on meanwhile.
    auto fail = [&] {
        file.close();
        tell(tr("Export Failed"), false);
    };
    // A named pipe or a device is refused before it is opened: writing to one would block the program. A symbolic
    // link is not followed.
    const auto create = [&file](const QString& name) {
        const int fd = name.isEmpty() ? -1 : openRegularFile(name, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, nullptr);
        return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    };
    bool fallback = false;
    if (!create(path)) {
        fallback = true;
        path = Settings::defaultExportPath();
        showPath(path);
        if (!create(path))
            return fail();
    }
    // The path is kept even when writing fails later; failing to keep a path the user chose is not fatal.
    if (!m_engine.settings().saveExportPath(path) && fallback)
        return fail();
    if (!m_engine.exportCsv(file, view, adapter, nullptr) || !file.flush())
        return fail();
    file.close();
    tell(tr("Export Succeeded !"), true);
}

void CsvExport::tell(const QString& prompt, bool succeeded)
{
    m_boxes.ask(prompt, MessageBoxes::Buttons::Ok,
                succeeded ? MessageBoxes::Icon::Information : MessageBoxes::Icon::Critical,
                succeeded ? tr("Success!") : tr("Failed :-("), {}, m_owner);
}
