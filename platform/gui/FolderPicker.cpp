#include "FolderPicker.h"

#include <QDir>
#include <QFileDialog>

QString QtFolderPicker::chooseFolder(const QString& title)
{
    return QFileDialog::getExistingDirectory(nullptr, title, QDir::homePath(), QFileDialog::ShowDirsOnly);
}

QString BrowseForFolder(FolderPicker& picker, const QString& title, const QString& defaultText)
{
    const QString folder = picker.chooseFolder(title);
    return folder.isEmpty() ? defaultText : folder;
}
