#pragma once

#include <iterator>
#include <map>
#include <set>
#include <vector>

// The creature rows' initiatives kept sorted as they change, so that the turn order is read
// without walking the roster: the value at any position and the rows holding a value.
class InitiativeIndex {
public:
    void set(int row, double oldValue, double newValue); // a row's value changed
    void add(int row, double value);                     // a row appeared
    void remove(int row, double value);                  // a row went away
    void clear();

    int size() const { return static_cast<int>(sorted().size()); }
    // The value at 1-based position k of the creatures' values merged with `others`, both from
    // highest to lowest; 0 beyond the list.
    double at(long long k, std::vector<double> others) const;
    // Rows whose value equals `value`, in row order.
    std::vector<int> rowsWith(double value) const;
    // How many rows hold a value above `value`.
    int countAbove(double value) const;
    // The values at or below `bound`, highest first, each with its rows in row order, until
    // `visit(value, rows)` returns true.
    template <typename F> void forEachAtOrBelow(double bound, F visit) const {
        for (auto value = std::make_reverse_iterator(m_rows.upper_bound(bound));
             value != m_rows.rend(); ++value)
            if (visit(value->first, value->second))
                return;
    }
    // Every row, highest value first, rows of one value in row order.
    template <typename F> void forEachDescending(F visit) const {
        for (auto value = m_rows.rbegin(); value != m_rows.rend(); ++value)
            for (int row : value->second)
                visit(value->first, row);
    }

private:
    const std::vector<double> &sorted() const;

    mutable std::vector<double> m_sorted; // every row's value, highest first
    mutable bool m_sortedStale = false;
    std::map<double, std::set<int>> m_rows;
};
