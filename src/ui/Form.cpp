#include "ui/Form.h"

#include "ui/Look.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

Form::Form(const QString &objectName, QWidget *parent) : QWidget(parent) {
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Torvane"));
    setPalette(look::palette());
    // Ctrl+Q leaves the program from every window, as the main menu's "Esci" does.
    auto *leave = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(leave, &QShortcut::activated, this, &Form::leaveRequested);
}

QWidget *Form::canvas() {
    if (!m_canvas) {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *scroll = new QScrollArea(this);
        scroll->setObjectName(QStringLiteral("Area"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setFocusPolicy(Qt::NoFocus); // the keyboard goes to the controls
        scroll->setWidgetResizable(false);
        scroll->viewport()->setBackgroundRole(QPalette::Window);
        m_canvas = new QWidget;
        m_canvas->setObjectName(QStringLiteral("Controlli"));
        scroll->setWidget(m_canvas);
        layout->addWidget(scroll);
    }
    return m_canvas;
}

void Form::setClientTwips(int width, int height) {
    setClientSize(QSize(twips(width), twips(height)));
}

void Form::setClientSize(QSize size) {
    canvas()->setFixedSize(size);
    const QScreen *where = screen() ? screen() : QGuiApplication::primaryScreen();
    // Room for the window's frame and title on the screen.
    const QSize room = where ? where->availableGeometry().size() - QSize(16, 48) : size;
    if (size.width() <= room.width() && size.height() <= room.height()) {
        setMinimumSize(0, 0);
        setFixedSize(size);
        return;
    }
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    setMinimumSize(std::min(size.width(), 320), std::min(size.height(), 240));
    setMaximumSize(size + QSize(bar, bar));
    resize(std::min(size.width() + bar, room.width()),
           std::min(size.height() + bar, room.height()));
}

void Form::closeEvent(QCloseEvent *event) {
    event->ignore();
    emit closeRequested();
}

void Form::showEvent(QShowEvent *event) {
    if (!m_fieldsReady) { // every one-line field is there by the first show
        m_fieldsReady = true;
        for (QLineEdit *field : findChildren<QLineEdit *>())
            look::selectAllOnEntry(field);
    }
    QWidget::showEvent(event);
}

bool Form::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate && m_selectOnActivation) {
        m_selectOnActivation = false;
        // The field the window opens in holds a default or the last text: typing replaces it.
        // The focus lands there once the activation is handled.
        QTimer::singleShot(0, this, [this] {
            if (auto *field = qobject_cast<QLineEdit *>(focusWidget()))
                field->selectAll();
        });
    }
    return QWidget::event(event);
}

void Form::hideEvent(QHideEvent *event) {
    if (!event->spontaneous())
        m_place = pos();
    QWidget::hideEvent(event);
}

void Form::position(const QWidget *opener, bool beside) {
    if (!isVisible()) {
        if (m_place) {
            move(*m_place); // where it was left: the window system must not place it again
        } else {
            const QRect over = opener && opener->isVisible() ? opener->frameGeometry() : QRect();
            QScreen *screen = opener ? opener->screen() : QGuiApplication::primaryScreen();
            const QRect room = screen ? screen->availableGeometry() : QRect();
            const QRect target = over.isValid() ? over : room;
            if (target.isValid()) {
                QRect frame(QPoint(0, 0), frameGeometry().size());
                frame.moveCenter(target.center());
                if (beside && over.isValid()) { // right of the opener, else left of it
                    const bool right = over.right() + frame.width() <= room.right();
                    frame.moveLeft(right ? over.right() + 1 : over.left() - frame.width());
                    frame.moveTop(over.top());
                }
                if (room.isValid()) { // whole on its screen when it fits there
                    frame.moveLeft(std::max(room.left(),
                                            std::min(frame.left(), room.right() - frame.width())));
                    frame.moveTop(std::max(room.top(),
                                           std::min(frame.top(), room.bottom() - frame.height())));
                }
                move(frame.topLeft());
                m_place = frame.topLeft();
            }
        }
    }
}

void Form::showBeside(const QWidget *opener) {
    position(opener, true);
    showFrom(opener);
}

void Form::showFrom(const QWidget *opener) {
    position(opener, false);
    m_selectOnActivation = !isVisible();
    show();
    // Window stacking means nothing without a window system (offscreen runs).
    if (QGuiApplication::platformName() != u"offscreen")
        raise();
    activateWindow();
}
