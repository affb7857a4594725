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

MessageBoxes::Answer QtMessageBoxes::ask(const QString& prompt, Buttons buttons, Icon icon, const QString& title)
{
    QMessageBox box(toQt(icon), title, prompt,
                    buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    const int r = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void QtMessageBoxes::notify(const QString& prompt, Icon icon, const QString& title)
{
    auto* box = new QMessageBox(toQt(icon), title, prompt, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->setModal(false);
    box->show();
}
