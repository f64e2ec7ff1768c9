#include "Harness.h"

#include "bestiary/BestiaryWindow.h"
#include "core/files/DataFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

namespace bench {

Stats stats(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

long statusKb(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}
// The heap in use, in MB: what the program holds, whether or not freed memory went back to the
// system (the resident size does not show what reuses memory freed before).
double heapMb() {
    return double(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

long peakRssKb() {
    return statusKb("VmHWM:");
}
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Handles what an operation left pending: delayed layouts first, then the repaints they ask for.
void settle() {
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
}

// Times one operation, including the layout and repaint it causes.
double timed(const std::function<void()> &operation) {
    QElapsedTimer timer;
    timer.start();
    operation();
    settle();
    return double(timer.nsecsElapsed()) / 1e6;
}

namespace {

double cpuMs(clockid_t clock, const std::function<void()> &operation, int after) {
    timespec start{}, end{};
    clock_gettime(clock, &start);
    operation();
    settle();
    if (after > 0)
        QThread::msleep(after);
    clock_gettime(clock, &end);
    return double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
}

} // namespace

// The processor time this thread spends on one operation, with what it leaves pending: on a
// machine shared with other work, it tells a small cost that the wall clock's jitter hides.
double threadCpuMs(const std::function<void()> &operation) {
    return cpuMs(CLOCK_THREAD_CPUTIME_ID, operation, 0);
}

// The processor time of every thread of the program, over the operation and `after` ms more.
double programCpuMs(const std::function<void()> &operation, int after) {
    return cpuMs(CLOCK_PROCESS_CPUTIME_ID, operation, after);
}

// The saved fight taken up again by a second program, on a copy of the data folder (the first
// program holds the folder), in milliseconds; -1 when it does not come back whole.
double resumeTime(Windows &windows, int creatures) {
    QTemporaryDir copy;
    folders::ensure(copy.path());
    const QString saved = windows.session().file().path();
    QFile::copy(saved, QDir(copy.path()).filePath(QFileInfo(saved).fileName()));
    QElapsedTimer timer;
    timer.start();
    YesDialogs yes;
    Windows again(yes, copy.path());
    again.start(); // "Riprendere?" Yes
    settle();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    return again.encounter().creatures() == creatures ? ms : -1;
}

// A key pressed and released in a field, as the keyboard gives it.
void press(QWidget *field, int key, const QString &text) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(field, &down);
    QApplication::sendEvent(field, &up);
}

BestiaryTimes benchBestiary() {
    BestiaryTimes times;
    const QString typed = QStringLiteral("giant fire");
    for (int i = 0; i < repetitions; ++i) {
        QTemporaryDir root;
        folders::ensure(root.path());
        YesDialogs yes;
        Windows windows(yes, root.path());
        windows.start();
        Bench::click(windows.menu(), "Command2"); // "Gestisci uno Scontro"
        settle();
        times.first.push_back(timed([&] { Bench::click(windows.sheet(), "Bestiario"); }));
        windows.bestiary().hide();
        settle();
        times.again.push_back(timed([&] { Bench::click(windows.sheet(), "Bestiario"); }));
        auto *field = windows.bestiary().findChild<QLineEdit *>(QStringLiteral("CercaMostro"));
        for (QChar c : typed)
            times.keystroke.push_back(timed([&] { press(field, c.toUpper().unicode(), c); }));
        for (qsizetype k = 0; k < typed.size(); ++k)
            times.keystroke.push_back(timed([&] { press(field, Qt::Key_Backspace); }));
        times.monsters = windows.bestiary().catalogue().size();
    }
    return times;
}

} // namespace bench
