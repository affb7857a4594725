#include "DatabaseReset.h"

#include "MessageBox.h"
#include "TrafficEngine.h"

#include <QCoreApplication>

namespace {

// The context of this file's texts in the translations.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(DatabaseReset)
};

} // namespace

void clearTrafficLog(TrafficEngine& engine, MessageBoxes& boxes, QWidget* owner)
{
    boxes.ask(
        Text::tr("All DATA will be erased !!!!\r\nAre you sure ?"), MessageBoxes::Buttons::YesNo,
        MessageBoxes::Icon::Question, Text::tr("Are you sure ?"),
        [&engine, &boxes, owner](MessageBoxes::Answer answer) {
            if (answer != MessageBoxes::Answer::Yes)
                return;
            if (engine.clearLog(nullptr)) {
                boxes.ask(Text::tr("Cleared Database !"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information,
                          Text::tr("Success !"), {}, owner);
            } else {
                boxes.ask(Text::tr("Cleanup failed !"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical,
                          Text::tr("Error."), {}, owner);
            }
        },
        owner);
}
