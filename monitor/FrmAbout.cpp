#include "FrmAbout.h"

#include "FrmMain.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>

FrmAbout::FrmAbout(const QString& databasePath, std::function<void(const QUrl&)> openFolder, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(FrmMain::versionCaption());
    setAttribute(Qt::WA_DeleteOnClose);

    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("lblAbout"));
    text->setText(tr("Zovodazad %1\nNetwork traffic monitor\n\n"
                     "Licence: GNU General Public License, version 3 or later\n\nDatabase:")
                      .arg(QStringLiteral(ZOVO_VERSION)));
    auto* path = new QLabel(QDir::toNativeSeparators(databasePath), this);
    path->setObjectName(QStringLiteral("lblDatabasePath"));
    path->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setBuddy(path);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* open = buttons->addButton(tr("Open &Folder"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("BttOpenFolder"));
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(databasePath).absolutePath());
    connect(open, &QPushButton::clicked, this, [openFolder = std::move(openFolder), folder] { openFolder(folder); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1);
    grid->addWidget(text, 0, 1);
    grid->addWidget(path, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
}
