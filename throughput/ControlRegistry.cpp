#include "ControlRegistry.h"

#include "Throughput.h"

namespace {

struct PublishedControl
{
    const char* name;
    QWidget* (*create)(QWidget* parent);
};

constexpr PublishedControl publishedControls[] = {
    // A control placed anew starts from its initial properties; a stored one is then loaded with ReadProperties.
    {Throughput::publishedName,
     [](QWidget* parent) -> QWidget* {
         auto* control = new Throughput(parent);
         control->InitProperties();
         return control;
     }},
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
