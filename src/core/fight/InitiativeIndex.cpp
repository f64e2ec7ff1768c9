#include "core/fight/InitiativeIndex.h"

#include <algorithm>
#include <functional>

void InitiativeIndex::add(int row, double value) {
    if (m_rows[value].insert(row).second)
        m_sortedStale = true;
}

void InitiativeIndex::remove(int row, double value) {
    const auto rows = m_rows.find(value);
    if (rows != m_rows.end() && rows->second.erase(row) > 0) {
        m_sortedStale = true;
        if (rows->second.empty())
            m_rows.erase(rows);
    }
}

// Made again only when read after a change: a step that changes a thousand values sorts once.
const std::vector<double> &InitiativeIndex::sorted() const {
    if (m_sortedStale) {
        m_sorted.clear();
        for (auto value = m_rows.rbegin(); value != m_rows.rend(); ++value)
            m_sorted.insert(m_sorted.end(), value->second.size(), value->first);
        m_sortedStale = false;
    }
    return m_sorted;
}

void InitiativeIndex::set(int row, double oldValue, double newValue) {
    if (oldValue == newValue)
        return;
    remove(row, oldValue);
    add(row, newValue);
}

void InitiativeIndex::clear() {
    m_sorted.clear();
    m_sortedStale = false;
    m_rows.clear();
}

double InitiativeIndex::at(long long k, std::vector<double> others) const {
    const std::vector<double> &ours = sorted();
    std::sort(others.begin(), others.end(), std::greater<>());
    const long long n = size();
    const long long m = static_cast<long long>(others.size());
    if (k < 1 || k > n + m)
        return 0.0;
    // The k highest values hold i of ours and k - i of the others; find the split.
    for (long long j = std::max(0LL, k - n); j <= std::min(m, k); ++j) {
        const long long i = k - j;
        const bool oursFit = i == 0 || j == m || ours[static_cast<std::size_t>(i - 1)] >= others[j];
        const bool othersFit =
            j == 0 || i == n || others[static_cast<std::size_t>(j - 1)] >= ours[i];
        if (oursFit && othersFit) {
            if (i == 0)
                return others[static_cast<std::size_t>(j - 1)];
            if (j == 0)
                return ours[static_cast<std::size_t>(i - 1)];
            return std::min(ours[static_cast<std::size_t>(i - 1)],
                            others[static_cast<std::size_t>(j - 1)]);
        }
    }
    return 0.0;
}

std::vector<int> InitiativeIndex::rowsWith(double value) const {
    const auto rows = m_rows.find(value);
    if (rows == m_rows.end())
        return {};
    return {rows->second.begin(), rows->second.end()};
}

int InitiativeIndex::countAbove(double value) const {
    const std::vector<double> &ours = sorted();
    return int(std::lower_bound(ours.begin(), ours.end(), value, std::greater<>()) - ours.begin());
}
