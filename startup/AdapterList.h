#pragma once

#include <QItemSelectionModel>
#include <QStringListModel>

#include <vector>

// The adapter list: one entry per interface-table row, and the live selection of the adapters that are counted.
// The options dialog shows it in `LstAdapters`; the sampler fills it and reads the selection at every tick.
class AdapterList
{
public:
    AdapterList();

    int count() const;
    void clear();
    void append(const QString& text);
    QString text(int k) const;
    bool isSelected(int k) const;
    // Row k is selected when k is below the size and the entry is true. Read from the selection model only after
    // the selection or the list changed: the sampler asks for it, and for the count, at every tick.
    const std::vector<bool>& selectedRows() const;
    void setSelected(int k, bool selected);

    QStringListModel* model() { return &m_model; }
    QItemSelectionModel* selectionModel() { return &m_selection; }

private:
    QStringListModel m_model;
    QItemSelectionModel m_selection;
    // Both kept from the models' last change.
    mutable int m_count = 0;
    mutable std::vector<bool> m_selectedRows;
    mutable bool m_selectedStale = true;
};
