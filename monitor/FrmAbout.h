#pragma once

#include <QDialog>

#include <functional>

class QUrl;

// The About box: the version the program was built as, its licence, and where its database lives, with a button
// that opens that folder, where users look first when they move to a new machine.
class FrmAbout : public QDialog
{
    Q_OBJECT
public:
    // openFolder shows a folder to the user: the desktop's file manager, unless a test stands in for it.
    FrmAbout(const QString& databasePath, std::function<void(const QUrl&)> openFolder, QWidget* parent = nullptr);
};
