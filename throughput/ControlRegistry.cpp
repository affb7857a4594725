#include "ControlRegistry.h"

#include "Throughput.h"

namespace {

struct PublishedControl
{
    const char* name;
    QWidget* (*create)(QWidget* parent);
};

constexpr PublishedControl publishedControls[] = {
    {Throughput::publishedName, [](QWidget* parent) -> QWidget* { return new Throughput(parent); }},
};

} // namespace

QWidget* createControl(const QString& className, QWidget* parent)
{
    for (const PublishedControl& control : publishedControls) {
        if (className.compare(QLatin1String(control.name), Qt::CaseInsensitive) == 0)
            return control.create(parent);
    }
    return nullptr;
}
