#pragma once

#include "core/bestiary/Catalogue.h"
#include "ui/Form.h"

class BestiaryModel;
class QLineEdit;
class QPushButton;
class QTableView;

// The bestiary (FormBestiario): the monsters of the reference document, searched as one types;
// "Carica nella scheda", a double click or Return hands the chosen monster on and closes it.
class BestiaryWindow : public Form {
    Q_OBJECT
public:
    explicit BestiaryWindow(QWidget *parent = nullptr);
    ~BestiaryWindow() override;

    const Catalogue &catalogue() const { return m_catalogue; }
    // The monster of the list's current row, nullptr with none.
    const Monster *current() const;
    // Loads the current monster: monsterChosen, then the window hides. Nothing with none.
    void loadCurrent();

signals:
    void monsterChosen(const Monster &monster);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void search(const QString &query);

    Catalogue m_catalogue;
    BestiaryModel *m_model;
    QLineEdit *m_search;
    QTableView *m_list;
    QLabel *m_count;
    QPushButton *m_load;
};
