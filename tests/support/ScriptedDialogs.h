#pragma once

#include "common/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

// Dialogs for tests: records every box shown and answers questions and input boxes from a
// script. A question or input box with no scripted answer fails the running test.
class ScriptedDialogs : public Dialogs {
public:
    struct Box {
        enum Kind { Inform, Ask, Input } kind;
        QString text;
        QString title;
    };

    void inform(const QString &text) override;
    bool ask(const QString &text, const QString &title) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;

    // Answers for the next questions / input boxes, in order.
    ScriptedDialogs &yes(int times = 1);
    ScriptedDialogs &no(int times = 1);
    ScriptedDialogs &answer(std::optional<QString> text);

    // Texts of the OK-only messages shown so far.
    QStringList informed() const;
    const QList<Box> &boxes() const { return m_boxes; }
    bool scriptUsed() const { return m_answers.empty() && m_inputs.empty(); }
    void clear();

    // Called when each OK-only message is shown, before it "closes".
    std::function<void(const QString &)> onInform;

private:
    QList<Box> m_boxes;
    std::deque<bool> m_answers;
    std::deque<std::optional<QString>> m_inputs;
};
