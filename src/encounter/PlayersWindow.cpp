#include "encounter/PlayersWindow.h"

#include "encounter/Encounter.h"
#include "encounter/PlayersModel.h"
#include "web/QrCode.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor ground(18, 18, 24);
const QColor ink(240, 240, 240);
const QColor dim(185, 185, 185);
const QColor nowGround(255, 214, 10);
const QColor nowInk(15, 15, 15);
const QColor nextEdge(90, 170, 255);
const QColor boxGround(52, 52, 64);

// One combatant a line: the name on the left, the state on the right; who acts now on amber,
// who acts next edged in blue, the dead struck through.
class OrderDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        painter->save();
        const bool now = index.data(PlayersModel::NowRole).toBool();
        const bool next = index.data(PlayersModel::NextRole).toBool();
        const QRect box = option.rect.adjusted(4, 2, -4, -2);
        painter->fillRect(box, now ? nowGround : ground);
        if (next && !now) {
            painter->setPen(QPen(nextEdge, 3));
            painter->drawRect(box.adjusted(1, 1, -2, -2));
        }
        QFont font = option.font;
        font.setStrikeOut(index.data(PlayersModel::DeadRole).toBool());
        painter->setFont(font);
        const QRect text =
            box.adjusted(option.fontMetrics.height() / 2, 0, -option.fontMetrics.height() / 2, 0);
        const QString state = index.data(PlayersModel::StateRole).toString();
        const int stateWidth = QFontMetrics(font).horizontalAdvance(state);
        painter->setPen(now ? nowInk : ink);
        painter->drawText(text.adjusted(0, 0, -stateWidth - 20, 0),
                          Qt::AlignVCenter | Qt::AlignLeft,
                          QFontMetrics(font).elidedText(index.data().toString(), Qt::ElideRight,
                                                        text.width() - stateWidth - 20));
        painter->setPen(now ? nowInk : dim);
        painter->drawText(text, Qt::AlignVCenter | Qt::AlignRight, state);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override {
        return {option.rect.width(), option.fontMetrics.height() * 3 / 2 + 4};
    }
};

} // namespace

PlayersWindow::PlayersWindow(Encounter &encounter, QString settingsFile, QWidget *parent)
    : Form(QStringLiteral("FormGiocatori"), parent), m_model(new PlayersModel(encounter, this)),
      m_settingsFile(std::move(settingsFile)) {
    setWindowTitle(QStringLiteral("Torvane — Giocatori"));
    resize(960, 720);
    QPalette dark = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Window, ground);
        dark.setColor(group, QPalette::Base, ground);
        dark.setColor(group, QPalette::WindowText, ink);
        dark.setColor(group, QPalette::Text, ink);
    }
    setPalette(dark);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    m_round = new QLabel(this);
    m_round->setObjectName(QStringLiteral("RoundGiocatori"));
    m_now = new QLabel(this);
    m_now->setObjectName(QStringLiteral("TurnoGiocatori"));
    m_now->setWordWrap(true);
    m_order = new QListView(this);
    m_order->setObjectName(QStringLiteral("OrdineGiocatori"));
    m_order->setModel(m_model);
    m_order->setItemDelegate(new OrderDelegate(m_order));
    m_order->setUniformItemSizes(true);
    m_order->setSelectionMode(QAbstractItemView::NoSelection);
    m_order->setFocusPolicy(Qt::NoFocus);
    m_order->setFrameShape(QFrame::NoFrame);
    m_order->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The QR code of the view on the phones stands in the top corner, beside the round.
    m_qr = new QLabel(this);
    m_qr->setObjectName(QStringLiteral("CodiceQR"));
    m_qr->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_qr->hide();
    auto *top = new QHBoxLayout;
    auto *lines = new QVBoxLayout;
    lines->addWidget(m_round);
    lines->addWidget(m_now);
    lines->addStretch();
    top->addLayout(lines, 1);
    top->addWidget(m_qr, 0, Qt::AlignTop);
    layout->addLayout(top);
    layout->addWidget(m_order, 1);
    // The game master's strip: small and dim, so that it does not take the table's eye.
    m_strip = new QWidget(this);
    auto *strip = new QHBoxLayout(m_strip);
    strip->setContentsMargins(0, 0, 0, 0);
    m_web = new QCheckBox(QStringLiteral("Mostra sui telefoni dei giocatori"), m_strip);
    m_web->setObjectName(QStringLiteral("VistaWeb"));
    m_web->setFocusPolicy(Qt::TabFocus);
    m_web->setToolTip(QStringLiteral("Chi ha l'indirizzo, sulla rete locale, vede l'ordine, i "
                                     "nomi e gli stati. F10 nasconde questa riga."));
    m_address = new QLineEdit(m_strip);
    m_address->setObjectName(QStringLiteral("IndirizzoWeb"));
    m_address->setReadOnly(true);
    m_address->setFrame(false);
    m_address->setFocusPolicy(Qt::ClickFocus);
    m_address->hide();
    QPalette quiet = dark;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        quiet.setColor(group, QPalette::WindowText, dim);
        quiet.setColor(group, QPalette::Text, dim);
        quiet.setColor(group, QPalette::Base, boxGround); // the box to tick, seen on the dark
        quiet.setColor(group, QPalette::Button, boxGround);
    }
    m_strip->setPalette(quiet);
    QPalette plain = quiet; // the address reads as text, not as a field to fill
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        plain.setColor(group, QPalette::Base, ground);
    m_address->setPalette(plain);
    strip->addWidget(m_web);
    strip->addSpacing(16);
    strip->addWidget(m_address);
    strip->addStretch();
    layout->addWidget(m_strip);
    connect(m_web, &QCheckBox::toggled, this, &PlayersWindow::webViewToggled);
    connect(&encounter, &Encounter::changed, this, &PlayersWindow::refreshLines);
    refreshLines();
    applySizes();
    hide();
}

PlayersWindow::~PlayersWindow() {
    rememberPlace();
}

void PlayersWindow::refreshLines() {
    m_round->setText(m_model->roundText());
    m_now->setText(m_model->nowText());
    // A long order scrolls by itself to who acts: the table never has to touch the screen.
    if (const int current = m_model->current(); current >= 0)
        m_order->scrollTo(m_model->index(current), QAbstractItemView::PositionAtTop);
}

void PlayersWindow::applySizes() {
    // Readable from across the table: never under 28 pixels, growing with the window.
    const int names = std::max(28, height() / 22);
    QFont font = this->font();
    font.setPixelSize(names);
    m_order->setFont(font);
    QFont now = font;
    now.setBold(true);
    m_now->setFont(now);
    QFont round = now;
    round.setPixelSize(names * 4 / 3);
    m_round->setFont(round);
    QFont small = this->font();
    small.setPixelSize(std::max(13, names / 2));
    m_strip->setFont(small);
    m_address->setMinimumWidth(QFontMetrics(small).horizontalAdvance(m_address->text()) + 12);
    applyCode();
}

void PlayersWindow::applyCode() {
    if (m_code.isNull()) {
        m_qr->clear();
        return;
    }
    // Whole pixels a module, so that a phone reads it from across the table.
    const int scale = std::max(3, std::clamp(height() / 5, 120, 320) / m_code.width());
    m_qr->setPixmap(QPixmap::fromImage(m_code.scaled(m_code.size() * scale)));
}

void PlayersWindow::showWebAddress(const QString &url) {
    m_code = url.isEmpty() ? QImage() : qrCode(url);
    m_address->setText(url);
    m_address->setCursorPosition(0);
    m_address->setMinimumWidth(m_address->fontMetrics().horizontalAdvance(url) + 12);
    m_address->setVisible(!url.isEmpty());
    m_qr->setVisible(!url.isEmpty() && !m_strip->isHidden());
    const QSignalBlocker quiet(m_web);
    m_web->setChecked(!url.isEmpty());
    applyCode();
}

void PlayersWindow::resizeEvent(QResizeEvent *event) {
    Form::resizeEvent(event);
    applySizes();
}

void PlayersWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F11) {
        setWindowState(windowState() ^ Qt::WindowFullScreen);
        return;
    }
    if (event->key() == Qt::Key_F10) {
        m_strip->setHidden(!m_strip->isHidden());
        m_qr->setVisible(!m_strip->isHidden() && !m_code.isNull());
        return;
    }
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        showNormal();
        return;
    }
    Form::keyPressEvent(event);
}

void PlayersWindow::open(const QWidget *opener) {
    if (!m_restored) {
        m_restored = true;
        const QByteArray place =
            QSettings(m_settingsFile, QSettings::IniFormat).value("giocatori/posto").toByteArray();
        if (!place.isEmpty() && restoreGeometry(place)) {
            show();
            activateWindow();
            return;
        }
    }
    showBeside(opener);
}

void PlayersWindow::rememberPlace() {
    if (!m_restored)
        return; // never shown: nothing to remember
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue("giocatori/posto", saveGeometry());
}
