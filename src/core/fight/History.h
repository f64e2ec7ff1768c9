#pragma once

#include "core/fight/Step.h"

#include <cstddef>
#include <cstdint>
#include <deque>

// The steps of the fight in order and how many of them are done. Undo and redo move that
// boundary; a new step drops the undone ones.
//
// The history keeps within a memory budget: when its steps grow past it, the oldest steps done
// are let go (they can no longer be undone), and `dropped()` counts them, so that a step keeps
// its number in the fight, the (dropped() + i + 1)-th for the i-th step held. What is let go
// depends on the steps alone, so a fight replayed step by step lets go of the same ones.
class History {
public:
    // About 32 MB of steps: tens of thousands of ordinary steps, a thousand and more presses over
    // 5000 tied creatures. The saved fight, started afresh, holds them all: the larger the
    // budget, the longer that fresh start (about 0.2 s at this one) and the resume.
    static constexpr std::size_t defaultBudget = std::size_t(32) << 20;
    // The most a step holds: keystrokes beyond it start a step of their own.
    static constexpr std::size_t maxChanges = std::size_t(1) << 18;
    static constexpr std::size_t maxEvents = std::size_t(1) << 14;

    int size() const { return int(m_steps.size()); }
    int done() const { return m_done; }
    const Step &step(int i) const { return m_steps[static_cast<std::size_t>(i)]; }
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < size(); }
    // The steps let go from the front, over the whole fight.
    std::int64_t dropped() const { return m_dropped; }
    // The memory the steps held take, as estimated.
    std::size_t bytes() const { return m_bytes; }
    std::size_t budget() const { return m_budget; }
    void setBudget(std::size_t bytes);

    // Adds a step after the ones done, dropping those undone.
    void push(Step step);
    // Adds a keystroke to the last step when that is typing into the same field, done and not
    // followed by anything; false when it is not.
    bool merge(const Step &step);
    void setDone(int done);
    void clear();
    // The steps as a saved fight held them: `done` of them done, after `dropped` let go.
    void restore(std::deque<Step> steps, int done, std::int64_t dropped);

    // The memory a step takes, estimated from its contents alone.
    static std::size_t bytesOf(const Step &step);

private:
    void keepWithinBudget();

    std::deque<Step> m_steps;
    std::deque<std::size_t> m_sizes; // bytesOf each step
    int m_done = 0;
    std::int64_t m_dropped = 0;
    std::size_t m_bytes = 0;
    std::size_t m_budget = defaultBudget;
};
