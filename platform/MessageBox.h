#pragma once

#include <QString>
#include <QVector>

// The program's message boxes: a fixed prompt, buttons, an icon and a title. Behind an interface so that
// no test ever blocks on a modal box.
class MessageBoxes
{
public:
    enum class Icon { Critical, Question, Information, Warning };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~MessageBoxes() = default;
    // Modal: waits for the user's answer.
    virtual Answer ask(const QString& prompt, Buttons buttons, Icon icon, const QString& title) = 0;
    // Not modal: used for failures reported from inside the sampler, which must not stop ticking.
    virtual void notify(const QString& prompt, Icon icon, const QString& title) = 0;
};

class QtMessageBoxes : public MessageBoxes
{
public:
    Answer ask(const QString& prompt, Buttons buttons, Icon icon, const QString& title) override;
    void notify(const QString& prompt, Icon icon, const QString& title) override;
};

// Test double: records every box and answers from a script (Yes when the script runs out).
class FakeMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString prompt;
        Buttons buttons;
        Icon icon;
        QString title;
        bool modal;
    };

    Answer ask(const QString& prompt, Buttons buttons, Icon icon, const QString& title) override
    {
        shown.append({prompt, buttons, icon, title, true});
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    void notify(const QString& prompt, Icon icon, const QString& title) override
    {
        shown.append({prompt, Buttons::Ok, icon, title, false});
    }

    QVector<Shown> shown;
    QVector<Answer> answers;
};
