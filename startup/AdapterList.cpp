#include "AdapterList.h"

#include <algorithm>

AdapterList::AdapterList()
    : m_selection(&m_model)
{
    const auto stale = [this] { m_selectedStale = true; };
    QObject::connect(&m_selection, &QItemSelectionModel::selectionChanged, &m_model, stale);
    QObject::connect(&m_model, &QAbstractItemModel::modelReset, &m_model, stale);
    QObject::connect(&m_model, &QAbstractItemModel::rowsInserted, &m_model, stale);
    QObject::connect(&m_model, &QAbstractItemModel::rowsRemoved, &m_model, stale);
    QObject::connect(&m_model, &QAbstractItemModel::rowsMoved, &m_model, stale);
    QObject::connect(&m_model, &QAbstractItemModel::layoutChanged, &m_model, stale);
}

[[gnu::hot]] const std::vector<bool>& AdapterList::selectedRows() const
{
    if (m_selectedStale) {
        m_count = m_model.rowCount();
        m_selectedRows.assign(std::size_t(m_count), false);
        for (const QItemSelectionRange& range : m_selection.selection()) {
            for (int k = std::max(range.top(), 0); k <= range.bottom() && k < m_count; ++k)
                m_selectedRows[std::size_t(k)] = true;
        }
        m_selectedStale = false;
    }
    return m_selectedRows;
}

[[gnu::hot]] int AdapterList::count() const
{
    selectedRows();
    return m_count;
}

void AdapterList::clear()
{
    m_selection.clearSelection();
    m_model.setStringList({});
}

void AdapterList::append(const QString& text)
{
    const int row = m_model.rowCount();
    m_model.insertRows(row, 1);
    m_model.setData(m_model.index(row), text);
}

QString AdapterList::text(int k) const
{
    return m_model.data(m_model.index(k), Qt::DisplayRole).toString();
}

bool AdapterList::isSelected(int k) const
{
    return m_selection.isRowSelected(k, QModelIndex());
}

void AdapterList::setSelected(int k, bool selected)
{
    m_selection.select(m_model.index(k), selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}
