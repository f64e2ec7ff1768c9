#pragma once

#include "common/Dialogs.h"

#include <QtTest>
#include <deque>
#include <functional>

// Dialogs for tests: records every box shown and answers questions and input boxes from a
// script. A question or input box with no scripted answer fails the running test.
class ScriptedDialogs : public Dialogs {
public:
    void inform(const QString &text) override {
        informed << text;
        if (onInform)
            onInform(text);
    }
    bool ask(const QString &text, const QString &title) override {
        questions << title + QStringLiteral(": ") + text;
        return next(m_answers, text).value_or(false);
    }
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &) override {
        questions << title + QStringLiteral(": ") + prompt;
        return next(m_inputs, prompt);
    }

    // Answers for the next questions / input boxes, in order.
    ScriptedDialogs &yes(int times = 1) { return script(true, times); }
    ScriptedDialogs &no(int times = 1) { return script(false, times); }
    ScriptedDialogs &answer(const QString &text) {
        m_inputs.push_back(text);
        return *this;
    }
    bool scriptUsed() const { return m_answers.empty() && m_inputs.empty(); }
    void clear() { // forgets what was shown and scripted; keeps onInform
        const auto keep = onInform;
        *this = ScriptedDialogs();
        onInform = keep;
    }

    QStringList informed;  // the OK-only messages shown, in order
    QStringList questions; // "title: text" of the questions and input boxes shown
    std::function<void(const QString &)> onInform; // when a message shows, before it closes

private:
    ScriptedDialogs &script(bool answer, int times) {
        m_answers.insert(m_answers.end(), static_cast<std::size_t>(times), answer);
        return *this;
    }
    // The next scripted answer; with none, the running test fails and the box is cancelled.
    template <typename T> std::optional<T> next(std::deque<T> &queue, const QString &text) {
        if (queue.empty()) {
            QTest::qFail(qPrintable("unexpected box: " + text), __FILE__, __LINE__);
            return std::nullopt;
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
    std::deque<bool> m_answers;
    std::deque<QString> m_inputs;
};

// Answers Yes to every question and "nota" to every input box, as the game master who goes on
// with the fight.
struct YesDialogs : ScriptedDialogs {
    bool ask(const QString &, const QString &) override { return true; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override {
        return QStringLiteral("nota");
    }
};
