#pragma once

// What the benchmark drives the program with: the program itself behind patient dialogs, the
// phones that follow the players' view, the clocks and the memory figures.
#include "app/MainMenu.h"
#include "app/Windows.h"
#include "common/Dialogs.h"
#include "encounter/ConditionsWindow.h"
#include "encounter/EncounterWindow.h"
#include "sheets/SheetWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QSemaphore>
#include <QThread>
#include <QUrl>
#include <QWebSocket>

#include <atomic>
#include <functional>
#include <vector>

namespace bench {

constexpr int repetitions = 21;

// Answers Yes to every question and OK to every message, as a patient game master would.
class YesDialogs : public Dialogs {
public:
    void inform(const QString &) override {}
    bool ask(const QString &, const QString &) override { return true; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override {
        return QString();
    }
};

struct Stats {
    double median = 0;
    double max = 0;
};

Stats stats(std::vector<double> ms);

long statusKb(const char *field);

// The heap in use, in MB: what the program holds, whether or not freed memory went back to the
// system (the resident size does not show what reuses memory freed before).
double heapMb();

long peakRssKb();

double cpuSeconds();

// Handles what an operation left pending: delayed layouts first, then the repaints they ask for.
void settle();

// Times one operation, including the layout and repaint it causes.
double timed(const std::function<void()> &operation);

// The processor time this thread spends on one operation, with what it leaves pending: on a
// machine shared with other work, it tells a small cost that the wall clock's jitter hides.
double threadCpuMs(const std::function<void()> &operation);

// The processor time the whole program spends on one operation, every thread of it, with what
// it leaves pending and what its other threads do for it within `after` ms.
double programCpuMs(const std::function<void()> &operation, int after);

// Ten phones with the players' view open, on a thread of their own. While a step is timed they
// are held still, as phones are other devices: their reading does not take this machine's
// processors from the program (what the program sends waits in their sockets meanwhile).
class Phones {
public:
    Phones(const QUrl &page, int n) {
        m_thread.start();
        QUrl feed = page;
        feed.setScheme(QStringLiteral("ws"));
        m_home = new QObject;
        m_home->moveToThread(&m_thread);
        QMetaObject::invokeMethod(m_home, [this, feed, n] {
            for (int i = 0; i < n; ++i) {
                auto *socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, m_home);
                QObject::connect(socket, &QWebSocket::textMessageReceived,
                                 [this] { m_received.fetch_add(1); });
                socket->open(feed);
            }
        });
    }
    ~Phones() {
        QMetaObject::invokeMethod(
            m_home, [this] { delete m_home; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    int received() const { return m_received.load(); }
    void hold() {
        QMetaObject::invokeMethod(m_home, [this] {
            m_held.release();
            m_gate.acquire();
        });
        m_held.acquire();
    }
    void letGo() { m_gate.release(); }

private:
    QSemaphore m_held;
    QSemaphore m_gate;
    QThread m_thread;
    QObject *m_home;
    std::atomic<int> m_received{0};
};

class Bench {
public:
    explicit Bench(const QString &root) : m_windows(m_dialogs, root) {
        m_windows.start();
        click(m_windows.menu(), "Command2"); // "Gestisci uno Scontro"
        SheetWindow &sheet = m_windows.sheet();
        edit(sheet, "NomePNG", QStringLiteral("Goblin"));
        edit(sheet, "PF", QStringLiteral("7"));
        edit(sheet, "Iniziativa", QStringLiteral("2"));
        QApplication::processEvents();
    }

    Windows &windows() { return m_windows; }
    Encounter &encounter() { return m_windows.encounter(); }
    EncounterWindow &fight() { return m_windows.encounterWindow(); }

    static void click(QWidget &form, const char *name) {
        form.findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
    }
    static void edit(QWidget &form, const char *name, const QString &text) {
        form.findChild<QLineEdit *>(QString::fromLatin1(name))->setText(text);
    }

    // A fresh encounter of n separate copies, shown in the encounter window. It starts as the
    // user starts one, so that every step is saved as it is in use.
    void build(int n) {
        hideConditions();
        fight().hide();
        click(m_windows.menu(), "Command2"); // "Gestisci uno Scontro"
        addPress(n);
        showFight();
    }
    // The conditions window is open only for its own rows: open, it follows every step.
    void hideConditions() {
        if (m_windows.created(QStringLiteral("FormCondizioni")))
            m_windows.conditions().hide();
    }
    void addPress(int n) {
        edit(m_windows.sheet(), "Text1", QString::number(n));
        click(m_windows.sheet(), "Aggiungi");
    }
    void showFight() {
        click(m_windows.sheet(), "Command3");
        QApplication::processEvents();
    }

private:
    YesDialogs m_dialogs;
    Windows m_windows;
};

// The saved fight taken up again by a second program, on a copy of the data folder (the first
// program holds the folder), in milliseconds; -1 when it does not come back whole.
double resumeTime(Windows &windows, int creatures);

// A key pressed and released in a field, as the keyboard gives it.
void press(QWidget *field, int key, const QString &text = QString());

// The bestiary opened from the sheet window, the first time (its catalogue read) and again, and
// each keystroke of a search typed and erased; a fresh program each repetition.
struct BestiaryTimes {
    std::vector<double> first, again, keystroke;
    int monsters = 0;
};
BestiaryTimes benchBestiary();

} // namespace bench
