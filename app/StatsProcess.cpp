#include "StatsProcess.h"

#include "Activation.h"
#include "MessageBox.h"
#include "StatsCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {
// Beside the executable in the build tree and the portable layout, in the program's libexec folder when installed.
QString locateProgram()
{
    const QDir dir(QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath());
    for (const QString& candidate : {dir.filePath(QLatin1String(StatsCommands::ExecutableName)),
                                     QDir(dir.filePath(QStringLiteral(ZOVO_LIBEXEC_DIR)))
                                         .filePath(QLatin1String(StatsCommands::ExecutableName))}) {
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    }
    return {};
}
} // namespace

StatsProcess::StatsProcess(MessageBoxes& boxes, std::function<void(const QString&)> adapterChosen, QObject* parent)
    : QObject(parent)
    , m_boxes(boxes)
    , m_adapterChosen(std::move(adapterChosen))
{
}

StatsProcess::~StatsProcess()
{
    close();
}

bool StatsProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void StatsProcess::show(const QString& databasePath, const QRect& area, const Activation& request,
                        const QString& adapter)
{
    const QByteArray avoid = area.isEmpty() ? QByteArray() : StatsCommands::rectText(area);
    if (isRunning()) {
        m_process->write(StatsCommands::showLine(area, request.id()));
        return;
    }
    const QString program = locateProgram();
    if (program.isEmpty()) {
        m_boxes.notify(tr("The statistics window could not be started: %1 is missing.")
                           .arg(QLatin1String(StatsCommands::ExecutableName)),
                       MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"));
        return;
    }
    auto* process = new QProcess(this);
    m_process = process;
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        while (process->canReadLine()) {
            const QByteArray line = process->readLine().trimmed();
            if (line.startsWith(QByteArray(StatsCommands::Chosen).trimmed()) && m_adapterChosen)
                m_adapterChosen(QString::fromUtf8(line.mid(qsizetype(qstrlen(StatsCommands::Chosen)))).trimmed());
        }
    });
    connect(process, &QProcess::finished, this, [this, process](int, QProcess::ExitStatus status) {
        if (status == QProcess::CrashExit) {
            m_boxes.notify(tr("The statistics window ended unexpectedly. The traffic is still being logged."),
                           MessageBoxes::Icon::Warning, QStringLiteral("Zovodazad"));
        }
        if (m_process == process)
            m_process = nullptr;
        process->deleteLater();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_boxes.notify(tr("The statistics window could not be started:\n%1").arg(process->errorString()),
                       MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"));
        if (m_process == process)
            m_process = nullptr;
        process->deleteLater();
    });
    // The new window answers the request the way any program started on one does.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!request.isEmpty())
        environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), QString::fromUtf8(request.id()));
    process->setProcessEnvironment(environment);
    QStringList arguments {databasePath};
    if (!avoid.isEmpty())
        arguments << QLatin1String(StatsCommands::Avoid) << QString::fromLatin1(avoid);
    if (!adapter.isEmpty())
        arguments << QLatin1String(StatsCommands::Adapter) << adapter;
    process->start(program, arguments);
}

void StatsProcess::close()
{
    if (!m_process)
        return;
    QProcess* process = m_process;
    m_process = nullptr;
    disconnect(process, nullptr, this, nullptr);
    // The end of its input closes the window; one that does not answer is ended.
    process->closeWriteChannel();
    if (!process->waitForFinished(2000))
        process->kill();
    process->waitForFinished(1000);
    delete process;
}
