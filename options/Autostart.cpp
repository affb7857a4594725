#include "Autostart.h"

#include "AutostartEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

// The autostart folder as the XDG base directories name it: a relative XDG_CONFIG_HOME is to be ignored.
QString autostartFolder()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = QDir::isAbsolutePath(config) ? config : QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/autostart");
}

// An Exec argument quoted as desktop entries quote it, so a path with spaces or quotes starts the right file.
QString execArgument(const QString& path)
{
    static const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(path.begin(), path.end(), [](QChar c) { return Reserved.contains(c); }))
        return QString(path).replace(QLatin1Char('%'), QStringLiteral("%%"));
    // Within the quotes ", `, $ and \ take a backslash, and the file's own escaping doubles each backslash.
    QString quoted;
    for (QChar c : path) {
        if (c == QLatin1Char('\\'))
            quoted += QStringLiteral("\\\\\\");
        else if (QStringLiteral("\"`$").contains(c))
            quoted += QStringLiteral("\\\\");
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

Autostart::Autostart(QString executable)
    : m_executable(std::move(executable))
    , m_path(autostartFolder() + QStringLiteral("/zovodazad.desktop"))
{
}

QString Autostart::entry() const
{
    QStringList lines = QString::fromUtf8(AutostartEntry).split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.startsWith(QLatin1String("Exec=")))
            line = QStringLiteral("Exec=") + execArgument(m_executable);
    }
    return lines.join(QLatin1Char('\n'));
}

Autostart::State Autostart::state() const
{
    QFile file(m_path);
    if (!QFileInfo(m_path).isFile() || !file.open(QIODevice::ReadOnly))
        return QFileInfo::exists(m_path) ? State::Edited : State::Absent;
    return QString::fromUtf8(file.readAll()) == entry() ? State::Ours : State::Edited;
}

bool Autostart::enabled() const
{
    switch (state()) {
    case State::Absent:
        return false;
    case State::Ours:
        return true;
    case State::Edited:
        break;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    return std::none_of(lines.begin(), lines.end(),
                        [](const QByteArray& line) { return line.trimmed() == "Hidden=true"; });
}

bool Autostart::write(QString* error)
{
    if (!QDir().mkpath(QFileInfo(m_path).path())) {
        *error = QCoreApplication::translate("Autostart", "cannot create the folder %1").arg(QFileInfo(m_path).path());
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry().toUtf8()) < 0 || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool Autostart::remove(QString* error)
{
    QFile file(m_path);
    if (!file.exists() || file.remove())
        return true;
    *error = file.errorString();
    return false;
}
