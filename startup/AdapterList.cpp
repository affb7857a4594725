#include "AdapterList.h"

AdapterList::AdapterList()
    : m_selection(&m_model)
{
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
