#include "MessageBox.h"

#include <QMessageBox>

namespace {
QMessageBox::Icon toQt(MessageBoxes::Icon icon)
{
    switch (icon) {
    case MessageBoxes::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBoxes::Icon::Question:
        return QMessageBox::Question;
    case MessageBoxes::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBoxes::Icon::Information:
        break;
    }
    return QMessageBox::Information;
}
} // namespace

void QtMessageBoxes::ask(const QString& prompt, Buttons buttons, Icon icon, const QString& title, Reply reply,
                         QWidget* owner)
{
    auto* box
        = new QMessageBox(toQt(icon), title, prompt,
                          buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->setWindowModality(owner ? Qt::WindowModal : Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box, [buttons, reply](int result) {
        if (!reply)
            return;
        if (buttons == Buttons::Ok)
            reply(Answer::Ok);
        else
            reply(result == QMessageBox::Yes ? Answer::Yes : Answer::No);
    });
    box->show();
    box->raise();
    box->activateWindow();
}
