#pragma once

#include "ui/Form.h"

class Encounter;
class PlayersModel;
class QLabel;
class QListView;

// The players' view ("Torvane — Giocatori"): for a second screen turned to the table, the round,
// who acts now and the initiative order with each creature's state, in large type on a dark
// ground. F11 turns full screen on and off. It shows nothing the players may not know.
class PlayersWindow : public Form {
    Q_OBJECT
public:
    // `settingsFile` keeps the window's screen and place for the next time.
    PlayersWindow(Encounter &encounter, QString settingsFile, QWidget *parent = nullptr);
    ~PlayersWindow() override;

    PlayersModel &model() { return *m_model; }
    // Shows the window where it was last time (or beside the opener the very first time).
    void open(const QWidget *opener);
    void rememberPlace();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refreshLines();
    void applySizes();

    PlayersModel *m_model;
    QString m_settingsFile;
    QLabel *m_round;
    QLabel *m_now;
    QListView *m_order;
    bool m_restored = false;
};
