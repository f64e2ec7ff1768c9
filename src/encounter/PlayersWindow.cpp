#include "encounter/PlayersWindow.h"

#include "core/fight/Encounter.h"
#include "encounter/PlayersModel.h"
#include "web/QrCode.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor ground(18, 18, 24);
const QColor ink(240, 240, 240);
const QColor dim(185, 185, 185);
const QColor nowGround(255, 214, 10);
const QColor nowInk(15, 15, 15);
const QColor nextEdge(90, 170, 255);
const QColor conditionInk(150, 215, 255);
const QColor boxGround(52, 52, 64);

// One combatant a line: the name on the left, its conditions after it in a lighter hand, the
// state on the right; who acts now on amber, who acts next edged in blue, the dead struck through.
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
        const QString conditions = index.data(PlayersModel::ConditionsRole).toString();
        const int room = text.width() - stateWidth - 20;
        const QFontMetrics names(font);
        // The name is cut only where it does not fit: its width rounded up, as the text is laid
        // out in fractions of a pixel.
        const int limit = conditions.isEmpty() ? room : room * 3 / 5;
        const QString name = names.elidedText(index.data().toString(), Qt::ElideRight, limit);
        const int nameWidth =
            std::min(limit, int(std::ceil(QFontMetricsF(font).horizontalAdvance(name))) + 1);
        painter->setPen(now ? nowInk : ink);
        painter->drawText(QRect(text.left(), text.top(), nameWidth, text.height()),
                          Qt::AlignVCenter | Qt::AlignLeft, name);
        if (!conditions.isEmpty()) {
            QFont lighter = option.font;
            lighter.setItalic(true);
            lighter.setPixelSize(std::max(16, option.font.pixelSize() * 3 / 4));
            painter->setFont(lighter);
            painter->setPen(now ? nowInk : conditionInk);
            const int gap = names.averageCharWidth() * 2;
            const QRect after(text.left() + nameWidth + gap, text.top(),
                              std::max(0, room - nameWidth - gap), text.height());
            painter->drawText(
                after, Qt::AlignVCenter | Qt::AlignLeft,
                QFontMetrics(lighter).elidedText(conditions, Qt::ElideRight, after.width()));
            painter->setFont(font);
        }
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
    m_keepPlace = new QTimer(this);
    m_keepPlace->setSingleShot(true);
    m_keepPlace->setInterval(300);
    connect(m_keepPlace, &QTimer::timeout, this, &PlayersWindow::rememberPlace);
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
    connect(&encounter.recorder(), &Recorder::changed, this, &PlayersWindow::refreshLines);
    refreshLines();
    applySizes();
    hide();
}

PlayersWindow::~PlayersWindow() {
    rememberPlace();
}

void PlayersWindow::refreshLines() {
    m_round->setText(m_model->roundText());
    m_now->setText(fitted(m_model->nowNames(), m_now->fontMetrics(), m_now->width()));
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
    refreshLines();
    if (isVisible())
        m_keepPlace->start();
}

void PlayersWindow::moveEvent(QMoveEvent *event) {
    Form::moveEvent(event);
    if (isVisible())
        m_keepPlace->start();
}

QString PlayersWindow::fitted(const QStringList &names, const QFontMetrics &metrics, int width) {
    if (names.isEmpty())
        return QString();
    const int twoLines = 2 * metrics.lineSpacing();
    for (qsizetype shown = names.size(); shown > 1; --shown) {
        QString text = QStringLiteral("Tocca a: ") + names.mid(0, shown).join(QStringLiteral(", "));
        if (shown < names.size())
            text += QStringLiteral(", … e altri ") + QString::number(names.size() - shown);
        if (metrics.boundingRect(QRect(0, 0, std::max(width, 1), 1 << 20), Qt::TextWordWrap, text)
                .height() <= twoLines)
            return text;
    }
    return QStringLiteral("Tocca a: ") + names.first() +
           (names.size() > 1 ? QStringLiteral(", … e altri ") + QString::number(names.size() - 1)
                             : QString());
}

QRect PlayersWindow::placeFor(const QRect &opener, const QList<QRect> &screens, const QSize &wanted,
                              int minimumWidth) {
    for (const QRect &screen : screens)
        if (!screen.intersects(opener)) { // another screen: the view has it to itself
            QRect frame(QPoint(0, 0), wanted.boundedTo(screen.size()));
            frame.moveCenter(screen.center());
            return frame;
        }
    QRect room;
    for (const QRect &screen : screens)
        if (screen.intersects(opener))
            room = screen;
    if (room.isEmpty())
        return QRect(opener.topRight() + QPoint(1, 0), wanted);
    const int right = room.right() - opener.right();
    const int left = opener.left() - room.left();
    const int width = std::max(minimumWidth, std::min(wanted.width(), std::max(left, right)));
    const int height = std::min(wanted.height(), room.height());
    QRect frame(0, 0, width, height);
    frame.moveLeft(right >= left ? std::min(opener.right() + 1, room.right() + 1 - width)
                                 : std::max(opener.left() - width, room.left()));
    frame.moveTop(std::clamp(opener.top(), room.top(), room.bottom() + 1 - height));
    return frame;
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
    if (isVisible()) {
        bringToFront();
        return;
    }
    const bool first = !m_restored;
    m_restored = true;
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect over = opener && opener->isVisible() ? opener->frameGeometry() : QRect();
    const QByteArray place =
        QSettings(m_settingsFile, QSettings::IniFormat).value("giocatori/posto").toByteArray();
    const bool kept = first && !place.isEmpty() && restoreGeometry(place);
    // A place kept from last time is taken again unless it covers the window it opens from on
    // the only screen: the names and "Prossimo ad agire" must stay in sight.
    if (!kept && over.isValid()) {
        setGeometry(placeFor(over, screens, size(), 320));
    } else if (kept && over.isValid() && screens.size() == 1 && frameGeometry().intersects(over)) {
        setGeometry(placeFor(over, screens, size(), 320));
    }
    show();
    activateWindow();
}

void PlayersWindow::rememberPlace() {
    if (!m_restored)
        return; // never shown: nothing to remember
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue("giocatori/posto", saveGeometry());
}
