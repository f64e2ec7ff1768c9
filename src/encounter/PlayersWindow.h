#pragma once

#include "ui/Form.h"

#include <QImage>

class Encounter;
class PlayersModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QTimer;

// The players' view ("Torvane — Giocatori"): for a second screen turned to the table, the round,
// who acts now and the initiative order with each creature's state, in large type on a dark
// ground. F11 turns full screen on and off. It shows nothing the players may not know.
// A small strip at the bottom turns on the same view on the players' phones ("VistaWeb") and then
// shows the address to open ("IndirizzoWeb") and, in the top corner, its QR code ("CodiceQR");
// F10 hides and shows the strip and the code.
class PlayersWindow : public Form {
    Q_OBJECT
public:
    // `settingsFile` keeps the window's screen and place for the next time.
    PlayersWindow(Encounter &encounter, QString settingsFile, QWidget *parent = nullptr);
    ~PlayersWindow() override;

    PlayersModel &model() { return *m_model; }
    // Shows the window where it was last time, unless that covers the opener on a single
    // screen; otherwise on another screen than the opener's, or else beside the opener.
    void open(const QWidget *opener);
    void rememberPlace();
    // The address of the view on the phones, shown as text and as a QR code; empty when it is
    // off, which also unticks "Mostra sui telefoni dei giocatori".
    void showWebAddress(const QString &url);

    // Where the view goes beside a window standing at `opener` (its frame): on the first of the
    // other screens when there is one, else beside it on the side with more room, narrowed to
    // that room (never below `minimumWidth`), as high as `wanted` where the screen allows.
    static QRect placeFor(const QRect &opener, const QList<QRect> &screens, const QSize &wanted,
                          int minimumWidth);
    // "Tocca a: …" on at most two lines of the given width: the names that fit, then "… e altri N".
    static QString fitted(const QStringList &names, const QFontMetrics &metrics, int width);

signals:
    void webViewToggled(bool on);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void refreshLines();
    void applySizes();
    void applyCode();

    PlayersModel *m_model;
    QString m_settingsFile;
    QLabel *m_round;
    QLabel *m_now;
    QListView *m_order;
    QWidget *m_strip;
    QCheckBox *m_web;
    QLineEdit *m_address;
    QLabel *m_qr;
    QImage m_code;
    bool m_restored = false;
    QTimer *m_keepPlace; // the place is kept a moment after the window stops moving
};
