#include "DatabaseReset.h"

#include "MessageBox.h"
#include "TrafficEngine.h"

void clearTrafficLog(TrafficEngine& engine, MessageBoxes& boxes, QWidget* owner)
{
    boxes.ask(
        QStringLiteral("All DATA will be erased !!!!\r\nAre you sure ?"), MessageBoxes::Buttons::YesNo,
        MessageBoxes::Icon::Question, QStringLiteral("Are you sure ?"),
        [&engine, &boxes, owner](MessageBoxes::Answer answer) {
            if (answer != MessageBoxes::Answer::Yes)
                return;
            if (engine.clearLog(nullptr)) {
                boxes.ask(QStringLiteral("Cleared Database !"), MessageBoxes::Buttons::Ok,
                          MessageBoxes::Icon::Information, QStringLiteral("Success !"), {}, owner);
            } else {
                boxes.ask(QStringLiteral("Cleanup failed !"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical,
                          QStringLiteral("Error."), {}, owner);
            }
        },
        owner);
}
