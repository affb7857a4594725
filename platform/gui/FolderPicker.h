#pragma once

#include <QString>
#include <QStringList>

// The platform's folder chooser: shows the title and returns a file-system folder, or nothing when cancelled.
class FolderPicker
{
public:
    virtual ~FolderPicker() = default;
    // An empty text when the user cancels.
    virtual QString chooseFolder(const QString& title) = 0;
};

class QtFolderPicker : public FolderPicker
{
public:
    QString chooseFolder(const QString& title) override;
};

// Test double: records the titles and answers from a script (cancelled when the script runs out).
class FakeFolderPicker : public FolderPicker
{
public:
    QString chooseFolder(const QString& title) override
    {
        titles.append(title);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QStringList titles;
    QStringList answers;
};

// The chosen folder's path, or defaultText unchanged when the picker gives none.
QString BrowseForFolder(FolderPicker& picker, const QString& title, const QString& defaultText);
