#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>

class MessageBoxes;
class QWidget;
class TrafficEngine;

// The Export button: has the engine write the chosen view, of every counted adapter or of one, to the file named in
// TxtCsvFile, asking before it
// overwrites a file, falling back to the home folder when the file cannot be created, and storing the path it used.
class CsvExport
{
    Q_DECLARE_TR_FUNCTIONS(CsvExport)

public:
    // The boxes block only owner; engine and boxes must outlive the overwrite question.
    CsvExport(TrafficEngine& engine, MessageBoxes& boxes, QWidget* owner);

    // adapter: empty for every counted adapter. showPath receives the fallback path when the typed file cannot be
    // created, for TxtCsvFile to show.
    void run(const QString& typedPath, int view, const QString& adapter,
             const std::function<void(const QString&)>& showPath);

private:
    void write(QString path, int view, const QString& adapter, const std::function<void(const QString&)>& showPath);
    void tell(const QString& prompt, bool succeeded);

    TrafficEngine& m_engine;
    MessageBoxes& m_boxes;
    QWidget* m_owner;
};
