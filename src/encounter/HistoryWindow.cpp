#include "encounter/HistoryWindow.h"

#include "encounter/Encounter.h"

#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

HistoryWindow::HistoryWindow(Encounter &encounter, QWidget *parent)
    : Form(QStringLiteral("Cronologia"), parent), m_encounter(encounter) {
    setWindowTitle(QStringLiteral("Torvane — Cronologia"));
    resize(twips(6000), twips(7635));
    auto *layout = new QVBoxLayout(this);
    auto *hint = new QLabel(QStringLiteral("Ogni passo dello scontro, dal primo all'ultimo. Un "
                                           "clic su un passo riporta lo scontro a quel punto; i "
                                           "passi annullati restano in grigio finché non se ne "
                                           "fa uno nuovo."),
                            this);
    hint->setObjectName(QStringLiteral("Spiegazione"));
    hint->setWordWrap(true);
    m_steps = new QListView(this);
    m_steps->setObjectName(QStringLiteral("Passi"));
    m_steps->setModel(&encounter.history());
    m_steps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_steps->setSelectionMode(QAbstractItemView::SingleSelection);
    m_steps->setWordWrap(true);
    m_steps->setSpacing(2);
    m_steps->setAlternatingRowColors(true); // a step of several lines reads as one
    layout->addWidget(hint);
    layout->addWidget(m_steps, 1);
    connect(m_steps, &QListView::clicked, this,
            [this](const QModelIndex &index) { m_encounter.goTo(index.row()); });
    connect(&encounter.history(), &History::doneChanged, this, &HistoryWindow::showDone);
    connect(&encounter.history(), &QAbstractItemModel::rowsInserted, this,
            &HistoryWindow::showDone);
    connect(&encounter.history(), &QAbstractItemModel::modelReset, this, &HistoryWindow::showDone);
    showDone();
    hide();
}

void HistoryWindow::showDone() {
    const QModelIndex current = m_encounter.history().index(m_encounter.history().done());
    m_steps->setCurrentIndex(current);
    m_steps->scrollTo(current);
}
