#include "encounter/HistoryWindow.h"

#include "core/fight/Encounter.h"
#include "encounter/HistoryModel.h"

#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

HistoryWindow::HistoryWindow(Encounter &encounter, QWidget *parent)
    : Form(QStringLiteral("Cronologia"), parent),
      m_model(new HistoryModel(encounter.recorder(), this)) {
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
    m_steps->setModel(m_model);
    m_steps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_steps->setSelectionMode(QAbstractItemView::SingleSelection);
    m_steps->setWordWrap(true);
    m_steps->setSpacing(2);
    m_steps->setAlternatingRowColors(true); // a step of several lines reads as one
    layout->addWidget(hint);
    layout->addWidget(m_steps, 1);
    connect(m_steps, &QListView::clicked, this,
            [&encounter](const QModelIndex &index) { encounter.goTo(index.row()); });
    connect(m_model, &HistoryModel::currentChanged, this, &HistoryWindow::showDone);
    showDone();
    hide();
}

void HistoryWindow::showDone() {
    const QModelIndex current = m_model->current();
    m_steps->setCurrentIndex(current);
    m_steps->scrollTo(current);
}
