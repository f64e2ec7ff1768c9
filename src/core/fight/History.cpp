#include "core/fight/History.h"

#include <algorithm>

QString Step::logText() const {
    QStringList lines{headline};
    lines << events;
    return lines.join(u'\n');
}

void History::push(Step step) {
    m_steps.erase(m_steps.begin() + m_done, m_steps.end());
    m_steps.push_back(std::move(step));
    m_done = size();
}

bool History::merge(const Step &step) {
    if (step.typingKey == 0 || m_done != size() || m_steps.empty() ||
        m_steps.back().typingKey != step.typingKey)
        return false;
    Step &last = m_steps.back();
    last.action = step.action;
    last.headline = step.headline;
    last.events << step.events;
    last.changes.insert(last.changes.end(), step.changes.begin(), step.changes.end());
    last.after = step.after;
    return true;
}

void History::setDone(int done) {
    m_done = std::clamp(done, 0, size());
}

void History::clear() {
    m_steps.clear();
    m_done = 0;
}
