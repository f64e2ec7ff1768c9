#pragma once

#include "core/fight/Step.h"

#include <vector>

// The steps of the fight in order and how many of them are done. Undo and redo move that
// boundary; a new step drops the undone ones.
class History {
public:
    int size() const { return int(m_steps.size()); }
    int done() const { return m_done; }
    const Step &step(int i) const { return m_steps[static_cast<std::size_t>(i)]; }
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < size(); }

    // Adds a step after the ones done, dropping those undone.
    void push(Step step);
    // Adds a keystroke to the last step when that is typing into the same field, done and not
    // followed by anything; false when it is not.
    bool merge(const Step &step);
    void setDone(int done);
    void clear();

private:
    std::vector<Step> m_steps;
    int m_done = 0;
};
