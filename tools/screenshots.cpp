// Builds the pictures of docs/: drives the real windows offscreen and grabs them.
#include "app/Credits.h"
#include "app/MainMenu.h"
#include "app/Windows.h"
#include "common/Dialogs.h"
#include "encounter/EncounterWindow.h"
#include "encounter/RosterView.h"
#include "groups/GroupWindow.h"
#include "notepad/NotepadWindow.h"
#include "sheets/SheetWindow.h"
#include "storage/DataFolder.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// Answers Yes to every question and gives a fixed note; prints what it is told.
class AutoDialogs : public Dialogs {
public:
    void inform(const QString &text) override { QTextStream(stdout) << "  [" << text << "]\n"; }
    bool ask(const QString &, const QString &) override { return true; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override {
        return note;
    }
    QString note = QStringLiteral("arciere");
};

void save(QWidget &w, const QString &dir, const QString &name) {
    w.show();
    QApplication::processEvents();
    w.grab().save(dir + u'/' + name);
    QTextStream(stdout) << "wrote " << name << "\n";
}

template <typename T> T *child(QWidget &w, const char *name) {
    return w.findChild<T *>(QString::fromLatin1(name));
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(out);
    QTemporaryDir root;
    folders::ensure(root.path());
    AutoDialogs dialogs;
    Windows windows(dialogs, root.path());
    windows.setUrlOpener([](const QUrl &) { return true; });
    windows.start();
    save(windows.menu(), out, QStringLiteral("menu.png"));

    child<QPushButton>(windows.menu(), "Command4")->click();
    save(windows.sheet(), out, QStringLiteral("sheet-editing.png"));
    windows.sheet().hide();

    child<QPushButton>(windows.menu(), "Command2")->click();
    SheetWindow &sheet = windows.sheet();
    child<QLineEdit>(sheet, "NomePNG")->setText(QStringLiteral("Goblin"));
    child<QLineEdit>(sheet, "PF")->setText(QStringLiteral("7"));
    child<QLineEdit>(sheet, "CA")->setText(QStringLiteral("15"));
    child<QLineEdit>(sheet, "BA")->setText(QStringLiteral("1"));
    child<QLineEdit>(sheet, "Iniziativa")->setText(QStringLiteral("1"));
    child<QLineEdit>(sheet, "Car(2)")->setText(QStringLiteral("13"));
    child<QLineEdit>(sheet, "Car(1)")->setText(QStringLiteral("8"));
    child<QLineEdit>(sheet, "Car(0)")->setText(QStringLiteral("8"));
    child<QPushButton>(sheet, "ModAuto")->click();
    child<QLineEdit>(sheet, "Text1")->setText(QStringLiteral("20"));
    save(sheet, out, QStringLiteral("sheet-encounter.png"));
    child<QPushButton>(sheet, "Aggiungi")->click();
    child<QPushButton>(sheet, "Command3")->click();
    EncounterWindow &fight = windows.encounterWindow();
    save(fight, out, QStringLiteral("encounter-20.png"));
    return 0;
}
