#include "PropertyBag.h"

#include <utility>

MapPropertyBag::MapPropertyBag(QVariantMap values)
    : m_values(std::move(values))
{
}

QVariantMap::const_iterator MapPropertyBag::find(const QString& name) const
{
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it;
    }
    return m_values.cend();
}

QVariant MapPropertyBag::readProperty(const QString& name, const QVariant& defaultValue) const
{
    const auto it = find(name);
    return it == m_values.cend() ? defaultValue : it.value();
}

void MapPropertyBag::writeProperty(const QString& name, const QVariant& value)
{
    const auto it = find(name);
    if (it != m_values.cend()) {
        const QString storedName = it.key();
        m_values.remove(storedName);
    }
    m_values.insert(name, value);
}
