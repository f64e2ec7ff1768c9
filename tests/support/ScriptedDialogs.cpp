#include "ScriptedDialogs.h"

#include <QTest>

void ScriptedDialogs::inform(const QString &text) {
    m_boxes.append({Box::Inform, text, QStringLiteral("Torvane")});
    if (onInform)
        onInform(text);
}

bool ScriptedDialogs::ask(const QString &text, const QString &title) {
    m_boxes.append({Box::Ask, text, title});
    if (m_answers.empty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__,
                     __LINE__);
        return false;
    }
    const bool answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::input(const QString &prompt, const QString &title,
                                              const QString &) {
    m_boxes.append({Box::Input, prompt, title});
    if (m_inputs.empty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected input box: ") + prompt), __FILE__,
                     __LINE__);
        return std::nullopt;
    }
    auto answer = m_inputs.front();
    m_inputs.pop_front();
    return answer;
}

ScriptedDialogs &ScriptedDialogs::yes(int times) {
    m_answers.insert(m_answers.end(), static_cast<std::size_t>(times), true);
    return *this;
}

ScriptedDialogs &ScriptedDialogs::no(int times) {
    m_answers.insert(m_answers.end(), static_cast<std::size_t>(times), false);
    return *this;
}

ScriptedDialogs &ScriptedDialogs::answer(std::optional<QString> text) {
    m_inputs.push_back(std::move(text));
    return *this;
}

QStringList ScriptedDialogs::informed() const {
    QStringList texts;
    for (const Box &box : m_boxes) {
        if (box.kind == Box::Inform)
            texts << box.text;
    }
    return texts;
}

void ScriptedDialogs::clear() {
    m_boxes.clear();
    m_answers.clear();
    m_inputs.clear();
}
