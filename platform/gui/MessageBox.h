#pragma once

#include <QString>
#include <QVector>

#include <functional>

class QWidget;

// The program's message boxes: a fixed prompt, buttons, an icon and a title. No box runs a loop of its own: the
// call returns at once and the answer arrives later, so the icon, the menus and the sampling timer are served
// while a box is open. Behind an interface so that no test ever waits for a box.
class MessageBoxes
{
public:
    enum class Icon { Critical, Question, Information, Warning };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };
    using Reply = std::function<void(Answer)>;

    virtual ~MessageBoxes() = default;
    // Shows the box and returns; reply, if given, runs with the user's answer when the box closes (closing it
    // otherwise answers No, or Ok). With an owner the box blocks only that window; without one it blocks nothing.
    virtual void ask(const QString& prompt, Buttons buttons, Icon icon, const QString& title, Reply reply = {},
                     QWidget* owner = nullptr)
        = 0;
    // A failure reported from inside the sampler or the start-up; nothing waits for it.
    void notify(const QString& prompt, Icon icon, const QString& title) { ask(prompt, Buttons::Ok, icon, title); }
};

class QtMessageBoxes : public MessageBoxes
{
public:
    void ask(const QString& prompt, Buttons buttons, Icon icon, const QString& title, Reply reply = {},
             QWidget* owner = nullptr) override;
};

// Test double: records every box and answers at once from a script (Yes or Ok when the script runs out). With
// hold set, the replies wait in `held` until the test answers them.
class FakeMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString prompt;
        Buttons buttons;
        Icon icon;
        QString title;
        QWidget* owner;
    };

    void ask(const QString& prompt, Buttons buttons, Icon icon, const QString& title, Reply reply = {},
             QWidget* owner = nullptr) override
    {
        shown.append({prompt, buttons, icon, title, owner});
        const Answer answer = !answers.isEmpty() ? answers.takeFirst()
            : buttons == Buttons::YesNo          ? Answer::Yes
                                                 : Answer::Ok;
        if (hold)
            held.append([reply, answer] {
                if (reply)
                    reply(answer);
            });
        else if (reply)
            reply(answer);
    }

    QVector<Shown> shown;
    QVector<Answer> answers;
    bool hold = false;
    QVector<std::function<void()>> held;
};
