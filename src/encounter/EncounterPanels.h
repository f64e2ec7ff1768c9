#pragma once

#include <QRect>
#include <array>

class Encounter;
class QLabel;
class QLineEdit;
class QWidget;

// The column of scroll controls beside the roster: three arrows up (10, 5 and 1 lines), the line
// to go to with "Vai", three arrows down. `column` is the column's left edge, width and the shift
// of the whole design downwards (its top and height are unused).
class ScrollColumn {
public:
    ScrollColumn(QWidget *canvas, Encounter &encounter, QRect column);
    void setVisible(bool shown);

private:
    std::array<QWidget *, 8> m_controls{};
};

// The player-character panel: for each of the eight slotCount its name (locked), "Iniz." and the
// initiative typed; the slotCount not taking part are hidden, the ones acting now are yellow.
class PartyPanel {
public:
    static constexpr int slotCount = 8;
    PartyPanel(QWidget *canvas, Encounter &encounter, int left, int width, int top);
    // Shows the party as the encounter holds it.
    void apply();
    const std::array<QLineEdit *, slotCount> &initiatives() const { return m_iniz; }

private:
    Encounter &m_encounter;
    std::array<QLabel *, slotCount> m_label{};
    std::array<QLineEdit *, slotCount> m_name{};
    std::array<QLineEdit *, slotCount> m_iniz{};
};
