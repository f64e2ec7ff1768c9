// Builds the pictures of docs/: drives the real windows offscreen and grabs them.
#include "app/Credits.h"
#include "app/MainMenu.h"
#include "app/Windows.h"
#include "bestiary/BestiaryWindow.h"
#include "common/Dialogs.h"
#include "core/fight/Conditions.h"
#include "core/files/DataFolder.h"
#include "encounter/ConditionsWindow.h"
#include "encounter/EncounterWindow.h"
#include "encounter/HistoryWindow.h"
#include "encounter/PlayersWindow.h"
#include "encounter/RosterView.h"
#include "groups/GroupWindow.h"
#include "notepad/NotepadWindow.h"
#include "sheets/SheetWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
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

// The window's controls whole, even where the screen would make the window scroll.
QPixmap picture(QWidget &w) {
    QWidget *controls = w.findChild<QWidget *>(QStringLiteral("Controlli"));
    return controls ? controls->grab() : w.grab();
}

void save(QWidget &w, const QString &dir, const QString &name) {
    w.show();
    QApplication::processEvents();
    picture(w).save(dir + u'/' + name);
    QTextStream(stdout) << "wrote " << name << "\n";
}

// Two pictures side by side in one, as two windows stand on a wide screen or two.
void saveBeside(const QPixmap &a, const QPixmap &b, const QString &dir, const QString &name) {
    QPixmap both(a.width() + 12 + b.width(), std::max(a.height(), b.height()));
    both.fill(QColor(90, 90, 90));
    QPainter painter(&both);
    painter.drawPixmap(0, 0, a);
    painter.drawPixmap(a.width() + 12, 0, b);
    painter.end();
    both.save(dir + u'/' + name);
    QTextStream(stdout) << "wrote " << name << "\n";
}
void saveBeside(QWidget &left, QWidget &right, const QString &dir, const QString &name) {
    for (QWidget *w : {&left, &right})
        w->show();
    QApplication::processEvents();
    saveBeside(picture(left), picture(right), dir, name);
}

template <typename T> T *child(QWidget &w, const char *name) {
    return w.findChild<T *>(QString::fromLatin1(name));
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("TORVANE_SYSTEM_FONT")) // the pictures at the design font
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

    // Thirty goblins, one in coma, scrolled to line 12.
    Encounter &encounter = windows.encounter();
    child<QPushButton>(fight, "Command1")->click();
    child<QLineEdit>(sheet, "Text1")->setText(QStringLiteral("10"));
    child<QPushButton>(sheet, "Aggiungi")->click();
    child<QPushButton>(sheet, "Command3")->click();
    encounter.setMarked({14});
    child<QLineEdit>(fight, "DanniPF")->setText(QStringLiteral("10"));
    child<QPushButton>(fight, "Command2")->click();
    child<QLineEdit>(fight, "IndiceScelto")->setText(QStringLiteral("12"));
    child<QPushButton>(fight, "VaiIndiceScelto")->click();
    save(fight, out, QStringLiteral("encounter-scrolled.png"));

    // A fight in progress: a group, an orc, the party, a turn announced.
    windows.encounter().end();
    fight.hide();
    child<QPushButton>(windows.menu(), "Command2")->click();
    child<QLineEdit>(sheet, "Text1")->setText(QStringLiteral("4"));
    child<QCheckBox>(sheet, "GruppoUnico")->setChecked(true);
    child<QPushButton>(sheet, "Aggiungi")->click();
    child<QCheckBox>(sheet, "GruppoUnico")->setChecked(false);
    child<QLineEdit>(sheet, "NomePNG")->setText(QStringLiteral("Orco"));
    child<QLineEdit>(sheet, "PF")->setText(QStringLiteral("15"));
    child<QLineEdit>(sheet, "Iniziativa")->setText(QStringLiteral("-1"));
    child<QLineEdit>(sheet, "Text1")->setText(QStringLiteral("2"));
    child<QPushButton>(sheet, "Aggiungi")->click();
    child<QPushButton>(sheet, "Party")->click();
    GroupWindow &group = windows.groups();
    child<QLineEdit>(group, "NumeroPG")->setText(QStringLiteral("3"));
    child<QPushButton>(group, "InserisciPG")->click();
    child<QLineEdit>(group, "NomeGruppo")->setText(QStringLiteral("La Compagnia"));
    const QStringList heroes{"Aragorn", "Legolas", "Gimli"};
    for (int i = 0; i < 3; ++i)
        child<QLineEdit>(group, qPrintable(QString("NomePG(%1)").arg(i)))->setText(heroes[i]);
    save(group, out, QStringLiteral("groups.png"));
    child<QPushButton>(group, "Accetta")->click();
    child<QPushButton>(sheet, "Command3")->click();
    encounter.setText(1, roster::Iniz, QStringLiteral("14"));
    encounter.setText(5, roster::Iniz, QStringLiteral("17"));
    encounter.setText(6, roster::Iniz, QStringLiteral("9"));
    child<QLineEdit>(fight, "InizPG(0)")->setText(QStringLiteral("18"));
    child<QLineEdit>(fight, "InizPG(1)")->setText(QStringLiteral("14"));
    child<QLineEdit>(fight, "InizPG(2)")->setText(QStringLiteral("6"));
    child<QPushButton>(fight, "Command5")->click();
    encounter.setMarked({6});
    child<QLineEdit>(fight, "DanniPF")->setText(QStringLiteral("18"));
    child<QPushButton>(fight, "Command2")->click();
    child<QPushButton>(fight, "Command4")->click();
    child<QPushButton>(fight, "Command4")->click();
    save(fight, out, QStringLiteral("fight.png"));

    // An area spell on three goblins, later in the fight: the round count and the marks.
    encounter.mark(1, Roster::Mark::Only);
    encounter.mark(3, Roster::Mark::Range);
    encounter.mark(6, Roster::Mark::Toggle);
    child<QLineEdit>(fight, "DanniPF")->setText(QStringLiteral("4"));
    child<QPushButton>(fight, "Command2")->click();
    for (int press = 0; press < 4; ++press)
        child<QPushButton>(fight, "Command4")->click();
    save(fight, out, QStringLiteral("fight-marked.png"));
    windows.history().resize(420, fight.height());
    saveBeside(fight, windows.history(), out, QStringLiteral("history.png"));
    windows.history().hide();
    windows.players().resize(760, fight.height());
    saveBeside(fight, windows.players(), out, QStringLiteral("players.png"));
    windows.players().hide();

    // Conditions: a goblin stunned for a round, the archers shaken for three, Legolas blessed
    // for ten, and one the players may not see; the conditions window beside the fight.
    encounter.conditions().apply({2}, QStringLiteral("Stordito"), 1, false, false);
    encounter.conditions().apply({1, 3}, QStringLiteral("Scosso"), 3, false, false);
    encounter.conditions().apply({conditions::ofSlot(1)}, QStringLiteral("Benedizione"), 10, false,
                                 false);
    encounter.conditions().apply({6}, QStringLiteral("Invisibile"), 0, false, true);
    child<QPushButton>(fight, "Command4")->click();
    encounter.mark(2, Roster::Mark::Only);
    windows.conditions().open(&fight);
    child<QComboBox>(windows.conditions(), "NomeCondizione")->setEditText(QStringLiteral("Prono"));
    windows.conditions().resize(460, fight.height());
    QApplication::processEvents();
    saveBeside(fight, windows.conditions(), out, QStringLiteral("conditions.png"));
    windows.conditions().hide();

    // The orc's sheet seen from the roster.
    emit fight.sheetRequested(5);
    save(sheet, out, QStringLiteral("sheet-viewing.png"));
    sheet.hide();

    NotepadWindow &notes = windows.notepad();
    notes.showWithCaption(QStringLiteral("NASCONDI LAVAGNA"));
    child<QLineEdit>(notes, "NomeFile")->setText(QStringLiteral("Sessione 12"));
    child<QPlainTextEdit>(notes, "Lavagna")
        ->setPlainText(QStringLiteral("Il goblin capo porta la chiave della torre.\n"
                                      "Ricompensa: 120 monete d'oro, una pozione.\n"
                                      "Prossima volta: il ponte, le guardie, il drago."));
    save(notes, out, QStringLiteral("notepad.png"));

    // The bestiary: a search as it is typed, and the sheet the chosen monster fills.
    sheet.showEditingMode();
    sheet.show();
    child<QPushButton>(sheet, "Bestiario")->click();
    BestiaryWindow &bestiary = windows.bestiary();
    child<QLineEdit>(bestiary, "CercaMostro")->setText(QStringLiteral("red dragon"));
    auto *list = child<QTableView>(bestiary, "ElencoMostri");
    list->setCurrentIndex(list->model()->index(5, 0)); // "Red Dragon, Adult"
    QApplication::processEvents();
    const QPixmap search = picture(bestiary);
    child<QPushButton>(bestiary, "CaricaMostro")->click();
    QApplication::processEvents();
    saveBeside(search, picture(sheet), out, QStringLiteral("bestiary.png"));
    sheet.hide();

    child<QPushButton>(windows.menu(), "Command3")->click();
    save(windows.credits(), out, QStringLiteral("credits.png"));
    return 0;
}
