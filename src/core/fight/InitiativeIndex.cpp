#include "core/fight/InitiativeIndex.h"

#include <algorithm>
#include <functional>

void InitiativeIndex::add(int row, double value) {
    const auto at = std::upper_bound(m_sorted.begin(), m_sorted.end(), value, std::greater<>());
    m_sorted.insert(at, value);
    m_rows[value].insert(row);
}

void InitiativeIndex::remove(int row, double value) {
    const auto at = std::lower_bound(m_sorted.begin(), m_sorted.end(), value, std::greater<>());
    if (at != m_sorted.end() && *at == value)
        m_sorted.erase(at);
    const auto rows = m_rows.find(value);
    if (rows != m_rows.end()) {
        rows->second.erase(row);
        if (rows->second.empty())
            m_rows.erase(rows);
    }
}

void InitiativeIndex::set(int row, double oldValue, double newValue) {
    if (oldValue == newValue)
        return;
    remove(row, oldValue);
    add(row, newValue);
}

void InitiativeIndex::clear() {
    m_sorted.clear();
    m_rows.clear();
}

double InitiativeIndex::at(long long k, std::vector<double> others) const {
    std::sort(others.begin(), others.end(), std::greater<>());
    const long long n = size();
    const long long m = static_cast<long long>(others.size());
    if (k < 1 || k > n + m)
        return 0.0;
    // The k highest values hold i of ours and k - i of the others; find the split.
    for (long long j = std::max(0LL, k - n); j <= std::min(m, k); ++j) {
        const long long i = k - j;
        const bool oursFit =
            i == 0 || j == m || m_sorted[static_cast<std::size_t>(i - 1)] >= others[j];
        const bool othersFit =
            j == 0 || i == n || others[static_cast<std::size_t>(j - 1)] >= m_sorted[i];
        if (oursFit && othersFit) {
            if (i == 0)
                return others[static_cast<std::size_t>(j - 1)];
            if (j == 0)
                return m_sorted[static_cast<std::size_t>(i - 1)];
            return std::min(m_sorted[static_cast<std::size_t>(i - 1)],
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
    return int(std::lower_bound(m_sorted.begin(), m_sorted.end(), value, std::greater<>()) -
               m_sorted.begin());
}
