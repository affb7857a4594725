#include "MainMdl.h"

#include "DatabaseFile.h"
#include "FrmMain.h"
#include "MessageBox.h"

MainMdl::MainMdl(Platform platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
    , m_writer(m_db, m_state, platform.clock, platform.boxes)
{
}

MainMdl::~MainMdl() = default;

bool MainMdl::start(const QString& databasePath)
{
    m_frmMain = std::make_unique<FrmMain>(m_writer);
    // No tick may see a half-built state: the timer stays off until the last step.
    m_frmMain->TmrCheckit().stop();

    QString error;
    if (!DatabaseFile::openOrCreate(m_db, databasePath, &error)) {
        m_platform.boxes.ask(QStringLiteral("Database Init Error!\r") + error, MessageBoxes::Buttons::Ok,
                             MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"));
        m_db.close();
        m_frmMain->RemoveTrayIcon();
        m_frmMain.reset();
        return false;
    }
    m_command.bind(m_db);

    m_frmMain->setWindowTitle(FrmMain::versionCaption());
    m_trayAdded = m_frmMain->AddTrayIcon();
    m_frmMain->hide();
    m_state.MaxDownSpeed = 0.0;
    m_state.MaxUpSpeed = 0.0;

    QString settingsError;
    if (!loadSettings(m_db, m_settings, m_vars, &settingsError)) {
        m_platform.boxes.notify(tr("The settings could not be read; the defaults are used.\n%1").arg(settingsError),
                                MessageBoxes::Icon::Warning, QStringLiteral("Zovodazad"));
    }

    connect(m_frmMain.get(), &FrmMain::exitRequested, this, &MainMdl::shutdown);
    m_running = true;
    m_frmMain->TmrCheckit().start();
    return true;
}

void MainMdl::shutdown()
{
    if (!m_running)
        return;
    m_running = false;
    m_frmMain->TmrCheckit().stop();
    m_frmMain->WriteLogRow();
    m_db.close();
    m_frmMain->RemoveTrayIcon();
    m_frmMain->hide();
    Q_EMIT finished();
}
