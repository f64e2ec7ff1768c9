#include "bestiary/BestiaryWindow.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

// The monsters a search found, a row each: name, size and type, challenge rating, hit points with
// their dice, armour class.
class BestiaryModel : public QAbstractTableModel {
public:
    enum Column { Name, SizeType, Rating, HitPoints, ArmorClass, ColumnCount };

    explicit BestiaryModel(const Catalogue &catalogue, QObject *parent)
        : QAbstractTableModel(parent), m_catalogue(catalogue) {}

    void setFound(std::vector<int> found) {
        beginResetModel();
        m_found = std::move(found);
        endResetModel();
    }
    const Monster *monster(int row) const {
        return row >= 0 && row < rowCount() ? &m_catalogue.at(m_found[std::size_t(row)]) : nullptr;
    }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_found.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant data(const QModelIndex &index, int role) const override {
        const Monster *m = monster(index.row());
        if (!m ||
            (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::TextAlignmentRole))
            return {};
        if (role == Qt::TextAlignmentRole)
            return index.column() == ArmorClass || index.column() == Rating
                       ? QVariant(Qt::AlignCenter)
                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        switch (index.column()) {
        case Name:
            return m->name;
        case SizeType:
            return m->sizeType;
        case Rating:
            return m->challengeRating;
        case HitPoints:
            return m->hitPointsText();
        case ArmorClass:
            return m->armorClass;
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        static const char *const captions[] = {"Nome", "Taglia e tipo", "GS", "PF (dadi vita)",
                                               "CA"};
        return QString::fromUtf8(captions[section]);
    }

private:
    const Catalogue &m_catalogue;
    std::vector<int> m_found;
};

BestiaryWindow::BestiaryWindow(QWidget *parent)
    : Form(QStringLiteral("FormBestiario"), parent), m_catalogue(Catalogue::builtIn()) {
    setWindowTitle(QStringLiteral("Torvane \u2014 Bestiario"));
    m_model = new BestiaryModel(m_catalogue, this);

    auto *searchLabel = new QLabel(QStringLiteral("Cerca:"), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("CercaMostro"));
    m_search->setPlaceholderText(
        QStringLiteral("nome in inglese, tipo o grado di sfida: giant fire, drago, GS 3"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    searchLabel->setBuddy(m_search);

    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("ElencoMostri"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAlternatingRowColors(true);
    m_list->setWordWrap(false);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->installEventFilter(this);
    const QFontMetrics metrics(m_list->font());
    const int pad = 4 * metrics.horizontalAdvance(u' ') + 8;
    auto widthOf = [&](const char *sample) {
        return metrics.horizontalAdvance(QString::fromUtf8(sample)) + pad;
    };
    m_list->verticalHeader()->setDefaultSectionSize(metrics.height() + 8);
    QHeaderView *header = m_list->horizontalHeader();
    header->setMinimumSectionSize(widthOf("GS"));
    header->resizeSection(BestiaryModel::Name, widthOf("Aboleth Mage, 10th-Level Wizard"));
    header->resizeSection(BestiaryModel::SizeType, widthOf("Large Outsider (Extraplanar, Fire)"));
    header->resizeSection(BestiaryModel::Rating, widthOf("1/10"));
    header->resizeSection(BestiaryModel::HitPoints, widthOf("1856 (128d8+1280)"));
    header->resizeSection(BestiaryModel::ArmorClass, widthOf("CA 88"));
    header->setSectionResizeMode(BestiaryModel::SizeType, QHeaderView::Stretch);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("NumeroMostri"));
    m_load = new QPushButton(QStringLiteral("Carica nella scheda"), this);
    m_load->setObjectName(QStringLiteral("CaricaMostro"));
    auto *notice = new QLabel(QStringLiteral("Mostri del System Reference Document 3.5: Open "
                                             "Game Content sotto la Open Game License 1.0a."),
                              this);
    notice->setObjectName(QStringLiteral("Licenza"));
    notice->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(searchLabel);
    top->addWidget(m_search, 1);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_count);
    bottom->addStretch(1);
    bottom->addWidget(m_load);
    layout->addLayout(bottom);
    layout->addWidget(notice);
    int width = 2 * layout->contentsMargins().left() + m_list->frameWidth() * 2 +
                m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    for (int c = 0; c < BestiaryModel::ColumnCount; ++c)
        width += header->sectionSize(c);
    // The columns whole where the screen has room; a smaller screen gets a smaller window.
    const QScreen *where = screen() ? screen() : QGuiApplication::primaryScreen();
    QSize size(width, twips(8400));
    if (where)
        size = size.boundedTo(where->availableGeometry().size() - QSize(16, 48));
    resize(size);
    setTabChain({m_search, m_list, m_load});

    connect(m_search, &QLineEdit::textChanged, this, &BestiaryWindow::search);
    connect(m_list, &QTableView::doubleClicked, this, &BestiaryWindow::loadCurrent);
    connect(m_load, &QPushButton::clicked, this, &BestiaryWindow::loadCurrent);
    search(QString());
    hide();
}

BestiaryWindow::~BestiaryWindow() = default;

void BestiaryWindow::search(const QString &query) {
    m_model->setFound(m_catalogue.search(query));
    const int found = m_model->rowCount();
    if (found > 0)
        m_list->setCurrentIndex(m_model->index(0, 0));
    m_load->setEnabled(found > 0);
    m_count->setText(query.trimmed().isEmpty() ? QString::number(found) + QStringLiteral(" mostri")
                     : found == 0              ? QStringLiteral("Nessun mostro trovato")
                     : found == 1              ? QStringLiteral("1 mostro trovato")
                                  : QString::number(found) + QStringLiteral(" mostri trovati"));
}

const Monster *BestiaryWindow::current() const {
    return m_model->monster(m_list->currentIndex().row());
}

void BestiaryWindow::loadCurrent() {
    const Monster *monster = current();
    if (!monster)
        return;
    const Monster chosen = *monster;
    hide();
    emit monsterChosen(chosen);
}

void BestiaryWindow::showEvent(QShowEvent *event) {
    Form::showEvent(event);
    m_search->setFocus();
    m_search->selectAll();
}

void BestiaryWindow::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        emit closeRequested();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        loadCurrent();
        return;
    default:
        break;
    }
    Form::keyPressEvent(event);
}

bool BestiaryWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        // Return on the list loads, as it does everywhere in the window.
        if (watched == m_list && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            loadCurrent();
            return true;
        }
        // The arrows move along the list while one types.
        if (watched == m_search && (key == Qt::Key_Down || key == Qt::Key_Up ||
                                    key == Qt::Key_PageDown || key == Qt::Key_PageUp)) {
            QCoreApplication::sendEvent(m_list, event);
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}
