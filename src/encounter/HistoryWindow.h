#pragma once

#include "ui/Form.h"

class Encounter;
class HistoryModel;
class QListView;

// The history of the fight ("Cronologia"): every step in order, as a log; a click on a step
// brings the fight back to the point right after it, a click on the first line to its start.
class HistoryWindow : public Form {
    Q_OBJECT
public:
    explicit HistoryWindow(Encounter &encounter, QWidget *parent = nullptr);

    HistoryModel &model() { return *m_model; }

private:
    void showDone();

    HistoryModel *m_model;
    QListView *m_steps;
};
