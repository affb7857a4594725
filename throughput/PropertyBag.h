#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

// Where a container keeps the persisted properties of one control instance. Names are matched without
// regard to case.
class PropertyBag
{
public:
    virtual ~PropertyBag() = default;
    // The stored value of the property, or defaultValue when the bag has none.
    virtual QVariant readProperty(const QString& name, const QVariant& defaultValue) const = 0;
    virtual void writeProperty(const QString& name, const QVariant& value) = 0;
};

// A bag held in memory: the monitor window's compiled-in graph settings, and tests.
class MapPropertyBag : public PropertyBag
{
public:
    MapPropertyBag() = default;
    explicit MapPropertyBag(QVariantMap values);

    QVariant readProperty(const QString& name, const QVariant& defaultValue) const override;
    // Replaces a stored value whose name differs only in case, so each property is held once.
    void writeProperty(const QString& name, const QVariant& value) override;

    const QVariantMap& values() const { return m_values; }

private:
    QVariantMap::const_iterator find(const QString& name) const;

    QVariantMap m_values;
};
