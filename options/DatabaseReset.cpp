#include "DatabaseReset.h"

#include "Clock.h"
#include "Db.h"
#include "MessageBox.h"

void clearTrafficLog(DbCommand& command, const Clock& clock, MessageBoxes& boxes, QWidget* owner)
{
    boxes.ask(
        QStringLiteral("All DATA will be erased !!!!\r\nAre you sure ?"), MessageBoxes::Buttons::YesNo,
        MessageBoxes::Icon::Question, QStringLiteral("Are you sure ?"),
        [&command, &clock, &boxes, owner](MessageBoxes::Answer answer) {
            if (answer != MessageBoxes::Answer::Yes)
                return;
            bool ok = command.execute(QStringLiteral("Delete from log;"));
            const QString start = dbDateTime(clock.now());
            const QString end = dbDateTime(clock.now());
            ok = command.execute(QStringLiteral("INSERT INTO Log values(?, ?, 0, 0, 0);"), {start, end}) && ok;
            if (ok) {
                boxes.ask(QStringLiteral("Cleared Database !"), MessageBoxes::Buttons::Ok,
                          MessageBoxes::Icon::Information, QStringLiteral("Success !"), {}, owner);
            } else {
                boxes.ask(QStringLiteral("Cleanup failed !"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical,
                          QStringLiteral("Error."), {}, owner);
            }
        },
        owner);
}
