#include "core/fight/History.h"

#include <algorithm>

QString Step::logText() const {
    QStringList lines{headline};
    lines << events;
    return lines.join(u'\n');
}

change::Highlights::Runs change::Highlights::runsOf(const std::vector<int> &rows) {
    Runs runs;
    for (int row : rows) {
        if (!runs.empty() && runs.back().second + 1 == row)
            runs.back().second = row;
        else
            runs.emplace_back(row, row);
    }
    return runs;
}

namespace {

// A text's characters and the block that holds them.
std::size_t textBytes(const QString &text) {
    return text.isEmpty() ? 0 : 32 + 2 * std::size_t(text.size());
}
std::size_t textsBytes(const QStringList &texts) {
    std::size_t bytes = sizeof(QString) * std::size_t(texts.size());
    for (const QString &text : texts)
        bytes += textBytes(text);
    return bytes;
}
std::size_t rowBytes(const RosterRow &row) {
    std::size_t bytes = sizeof(RosterRow);
    for (const QString &text : row.text)
        bytes += textBytes(text);
    return bytes;
}
std::size_t slotBytes(const PartySlot &slot) {
    return textBytes(slot.name) + textBytes(slot.iniz);
}

} // namespace

std::size_t History::bytesOf(const Step &step) {
    std::size_t bytes = sizeof(Step) + textBytes(step.action) + textBytes(step.headline) +
                        textsBytes(step.events) +
                        sizeof(int) * (step.before.marked.size() + step.after.marked.size()) +
                        sizeof(Change) * step.changes.size();
    for (const Change &change : step.changes) {
        bytes += std::visit(
            [](const auto &c) -> std::size_t {
                using T = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<T, change::Cell> || std::is_same_v<T, change::Field>)
                    return textBytes(c.before) + textBytes(c.after);
                if constexpr (std::is_same_v<T, change::Rows>) {
                    std::size_t rows = 0;
                    for (const RosterRow &row : c.removed)
                        rows += rowBytes(row);
                    return rows;
                }
                if constexpr (std::is_same_v<T, change::Highlights>)
                    return sizeof(std::pair<int, int>) * (c.lit.size() + c.unlit.size());
                if constexpr (std::is_same_v<T, change::Party>)
                    return slotBytes(c.before) + slotBytes(c.after);
                if constexpr (std::is_same_v<T, change::Turn>)
                    return textsBytes(c.before.who) + textBytes(c.before.value) +
                           textsBytes(c.after.who) + textBytes(c.after.value);
                if constexpr (std::is_same_v<T, change::Announced>)
                    return sizeof(std::pair<int, int>) * c.rows.size() +
                           sizeof(int) * c.party.size();
                if constexpr (std::is_same_v<T, change::Conditions>) {
                    std::size_t list = sizeof(Condition) * (c.before.size() + c.after.size());
                    for (const auto *side : {&c.before, &c.after})
                        for (const Condition &condition : *side)
                            list += textBytes(condition.name);
                    return list;
                }
                return 0;
            },
            change);
    }
    return bytes;
}

void History::setBudget(std::size_t bytes) {
    m_budget = bytes;
    keepWithinBudget();
}

void History::push(Step step) {
    for (std::size_t i = std::size_t(m_done); i < m_sizes.size(); ++i)
        m_bytes -= m_sizes[i];
    m_steps.erase(m_steps.begin() + m_done, m_steps.end());
    m_sizes.erase(m_sizes.begin() + m_done, m_sizes.end());
    m_sizes.push_back(bytesOf(step));
    m_bytes += m_sizes.back();
    m_steps.push_back(std::move(step));
    m_done = size();
    keepWithinBudget();
}

bool History::merge(const Step &step) {
    if (step.typingKey == 0 || m_done != size() || m_steps.empty() ||
        m_steps.back().typingKey != step.typingKey)
        return false;
    Step &last = m_steps.back();
    if (last.changes.size() + step.changes.size() > maxChanges ||
        std::size_t(last.events.size() + step.events.size()) > maxEvents)
        return false;
    last.action = step.action;
    last.headline = step.headline;
    last.events << step.events;
    last.changes.insert(last.changes.end(), step.changes.begin(), step.changes.end());
    last.after = step.after;
    m_bytes -= m_sizes.back();
    m_sizes.back() = bytesOf(last);
    m_bytes += m_sizes.back();
    keepWithinBudget();
    return true;
}

void History::keepWithinBudget() {
    // The last step done always stays, so that it can be undone whatever its size.
    while (m_bytes > m_budget && m_done > 1) {
        m_bytes -= m_sizes.front();
        m_sizes.pop_front();
        m_steps.pop_front();
        --m_done;
        ++m_dropped;
    }
}

void History::setDone(int done) {
    m_done = std::clamp(done, 0, size());
}

void History::clear() {
    m_steps.clear();
    m_sizes.clear();
    m_done = 0;
    m_dropped = 0;
    m_bytes = 0;
}

void History::restore(std::deque<Step> steps, int done, std::int64_t dropped) {
    clear();
    m_steps = std::move(steps);
    for (const Step &step : m_steps) {
        m_sizes.push_back(bytesOf(step));
        m_bytes += m_sizes.back();
    }
    m_done = std::clamp(done, 0, size());
    m_dropped = dropped;
    keepWithinBudget();
}
