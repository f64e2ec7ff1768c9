// Drives the real windows offscreen at rosters of 100, 1000 and 5000 creatures and prints one
// table of timings (median and maximum over the repetitions) and the peak memory.
#include "app/MainMenu.h"
#include "app/Windows.h"
#include "common/Dialogs.h"
#include "encounter/EncounterWindow.h"
#include "encounter/RosterView.h"
#include "sheets/SheetWindow.h"
#include "storage/DataFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <vector>

namespace {

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

Stats stats(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

long peakRssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Times one operation, including the repaint it causes.
double timed(const std::function<void()> &operation) {
    QElapsedTimer timer;
    timer.start();
    operation();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

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

    // A fresh encounter of n separate copies, shown in the encounter window.
    void build(int n) {
        fight().hide();
        m_windows.sheet().show();
        encounter().startNew();
        addPress(n);
        showFight();
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

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir root;
    folders::ensure(root.path());
    const std::vector<int> sizes{100, 1000, 5000};
    std::map<QString, std::map<int, Stats>> table;
    std::vector<QString> order;
    std::map<int, long> rss;
    auto record = [&](const QString &name, int size, const std::vector<double> &ms) {
        if (std::find(order.begin(), order.end(), name) == order.end())
            order.push_back(name);
        table[name][size] = stats(ms);
    };

    for (int size : sizes) {
        Bench bench(root.path());
        Encounter &enc = bench.encounter();
        std::vector<double> ms;

        // Adding n copies in one press, from an empty roster.
        for (int i = 0; i < repetitions; ++i) {
            bench.build(1);
            bench.fight().hide();
            bench.windows().sheet().show();
            enc.startNew();
            ms.push_back(timed([&] { bench.addPress(size); }));
        }
        record(QStringLiteral("add n copies in one press (n = size)"), size, ms);
        bench.showFight();
        rss[size] = peakRssKb();

        // One copy more, at about this size.
        bench.build(size - repetitions);
        ms.clear();
        bench.fight().hide();
        bench.windows().sheet().show();
        for (int i = 0; i < repetitions; ++i)
            ms.push_back(timed([&] { bench.addPress(1); }));
        record(QStringLiteral("add 1 copy"), size, ms);
        bench.showFight();

        // Every creature its own initiative: each press announces one.
        for (int r = 1; r <= enc.creatures(); ++r)
            enc.setText(r, RosterModel::Iniz, QString::number(r));
        ms.clear();
        for (int i = 0; i < repetitions; ++i)
            ms.push_back(timed([&] { Bench::click(bench.fight(), "Command4"); }));
        record(QStringLiteral("\"Prossimo ad agire\""), size, ms);

        enc.model().setSelectedRow(size / 2);
        Bench::edit(bench.fight(), "DanniPF", QStringLiteral("1"));
        ms.clear();
        for (int i = 0; i < repetitions; ++i)
            ms.push_back(timed([&] { Bench::click(bench.fight(), "Command2"); }));
        record(QStringLiteral("\"Applica\" on the selected row"), size, ms);

        ms.clear();
        for (int i = 0; i < repetitions; ++i) {
            ms.push_back(timed([&] {
                Bench::click(bench.fight(), "Giux3");
                Bench::click(bench.fight(), "Sux3");
            }));
        }
        record(QStringLiteral("scroll down 10 and up 10"), size, ms);

        ms.clear();
        for (int i = 0; i < repetitions; ++i) {
            Bench::edit(bench.fight(), "IndiceScelto", QString::number(enc.creatures() / 2));
            ms.push_back(timed([&] { Bench::click(bench.fight(), "VaiIndiceScelto"); }));
            enc.goToLine(QStringLiteral("1"));
            QApplication::processEvents();
        }
        record(QStringLiteral("\"Vai\" to the middle row"), size, ms);

        ms.clear();
        for (int i = 0; i < repetitions; ++i)
            ms.push_back(timed([&] { enc.remove(1); }));
        record(QStringLiteral("Elimina of row 1"), size, ms);

        ms.clear();
        for (int i = 0; i < repetitions; ++i) {
            bench.build(size);
            for (int r = 1; r <= enc.creatures(); ++r) {
                enc.tables()[r].bonusIniz = false;
                enc.tables()[r].bonusGruppo = false;
            }
            ms.push_back(timed([&] { Bench::click(bench.fight(), "Command5"); }));
        }
        record(QStringLiteral("\"Aggiungi Bonus Iniziat.\" (separate copies)"), size, ms);

        ms.clear();
        for (int i = 0; i < repetitions; ++i) {
            bench.build(size);
            ms.push_back(timed([&] { Bench::click(bench.fight(), "Command3"); }));
        }
        record(QStringLiteral("\"Scontro Terminato\""), size, ms);

        ms.clear();
        bench.build(size);
        for (int i = 0; i < repetitions; ++i) {
            bench.fight().hide();
            bench.windows().sheet().show();
            QApplication::processEvents();
            ms.push_back(timed([&] { Bench::click(bench.windows().sheet(), "Command3"); }));
        }
        record(QStringLiteral("opening the encounter window"), size, ms);

        if (size == sizes.back()) {
            // Idle: nothing should run while the encounter window is open and untouched.
            const double before = cpuSeconds();
            QElapsedTimer wall;
            wall.start();
            QTimer::singleShot(5000, &app, &QCoreApplication::quit);
            app.exec();
            const double idle = (cpuSeconds() - before) / (double(wall.nsecsElapsed()) / 1e9);
            std::printf("idle CPU with the encounter window open, %d creatures, over 5 s: %.2f %%\n",
                        size, idle * 100.0);
        }
    }

    QTextStream out(stdout);
    out << "\nTorvane benchmark, offscreen, " << QThread::idealThreadCount() << " cores, "
        << repetitions << " repetitions; times in ms (median / max)\n\n";
    out << "| operation |";
    for (int size : sizes)
        out << " " << size << " |";
    out << " 5000 / 100 |\n|---|";
    for (std::size_t i = 0; i <= sizes.size(); ++i)
        out << "---|";
    out << "\n";
    for (const QString &name : order) {
        out << "| " << name << " |";
        for (int size : sizes) {
            const Stats s = table[name][size];
            out << QString::asprintf(" %.2f / %.2f |", s.median, s.max);
        }
        const double ratio = table[name][sizes.back()].median /
                             std::max(table[name][sizes.front()].median, 1e-6);
        out << QString::asprintf(" %.1f |\n", ratio);
    }
    out << "| peak resident memory after building the roster (MB) |";
    for (int size : sizes)
        out << QString::asprintf(" %.1f |", double(rss[size]) / 1024.0);
    out << " |\n";
    return 0;
}
