#include "app/Credits.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

CreditsWindow::CreditsWindow(UrlOpener openUrl, QWidget *parent)
    : Form(QStringLiteral("Form5"), parent), m_openUrl(std::move(openUrl)) {
    if (!m_openUrl)
        m_openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    setClientTwips(6600, 3900); // wide enough for the link beside its caption

    // Behind the link line and the close button: it only notices the mouse leaving the link.
    m_background = placeLabel(canvas(), "Label4", QString(), twipsRect(0, 1680, 7215, 1215));
    m_background->setMouseTracking(true);
    m_background->installEventFilter(this);

    QFont large(QStringLiteral("Arial"));
    large.setPointSizeF(9.75);
    large.setBold(true);
    QFont small = large;
    small.setPointSizeF(8.25);

    auto *author = placeLabel(canvas(), "Label9", QStringLiteral("- Autore: ") + credits::team,
                              twipsRect(120, 120, 6855, 375));
    auto *started =
        placeLabel(canvas(), "Label8", QStringLiteral("- Programmazione iniziata a dicembre 2026"),
                   twipsRect(120, 480, 6135, 375));
    auto *invite = placeLabel(canvas(), "Label1",
                              QStringLiteral("Per dubbi, consigli o segnalazioni scrivete pure "
                                             "a: ") +
                                  credits::email,
                              twipsRect(360, 960, 5295, 615));
    invite->setWordWrap(true);
    auto *visit = placeLabel(canvas(), "Label6", QStringLiteral("Visita il mio sito web:"),
                             twipsRect(120, 2280, 1575, 255));
    m_link = placeLabel(canvas(), "Label3", credits::site, twipsRect(1560, 2280, 2535, 255));
    m_link->setMouseTracking(true);
    m_link->installEventFilter(this);
    m_link->setCursor(Qt::PointingHandCursor);
    auto *close =
        place<QPushButton>(canvas(), "Command1", twipsRect(5145, 2040, 1335, 495), "Chiudi");
    auto *bestiary = placeLabel(canvas(), "Bestiario",
                                QStringLiteral("Il bestiario (i mostri del System Reference "
                                               "Document 3.5) è Open Game Content sotto la Open "
                                               "Game License 1.0a."),
                                twipsRect(120, 2880, 4905, 735));
    bestiary->setWordWrap(true);
    bestiary->setFont(small);
    auto *licence =
        place<QPushButton>(canvas(), "Licenza", twipsRect(5145, 3000, 1335, 495), "Licenza…");
    licence->setToolTip(QStringLiteral("Il testo della Open Game License 1.0a"));
    connect(licence, &QPushButton::clicked, this, &CreditsWindow::licenceRequested);

    for (QWidget *w : std::initializer_list<QWidget *>{author, started, invite, close})
        w->setFont(large);
    visit->setFont(small);
    m_link->setFont(small);
    setLinkLit(false);
    // The link starts where its caption ends, whatever the font makes of the caption.
    visit->resize(std::max(visit->width(), visit->sizeHint().width()), visit->height());
    m_link->move(std::max(m_link->x(), visit->x() + visit->sizeHint().width() + 4), m_link->y());
    m_link->resize(m_link->sizeHint().width() + 2, m_link->height());

    close->setToolTip(QStringLiteral("Esc"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

bool CreditsWindow::goUrl(const QString &address) {
    return m_openUrl(QUrl(address));
}

void CreditsWindow::setLinkLit(bool lit) {
    QPalette palette = m_link->palette();
    palette.setColor(QPalette::WindowText,
                     lit ? QColor(0, 0, 255) : this->palette().color(QPalette::WindowText));
    m_link->setPalette(palette);
    QFont font = m_link->font();
    font.setUnderline(lit);
    m_link->setFont(font);
}

void CreditsWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    Form::keyPressEvent(event);
}

bool CreditsWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_link)
            setLinkLit(true);
        else if (watched == m_background)
            setLinkLit(false);
    } else if (watched == m_link && event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_link->setText(credits::site);
        goUrl(m_link->text()); // a failing open is not reported
        return true;
    }
    return Form::eventFilter(watched, event);
}

QString LicenceWindow::resourcePath() {
    return QStringLiteral(":/bestiary/legal-information.md");
}

LicenceWindow::LicenceWindow(QWidget *parent) : Form(QStringLiteral("FormLicenza"), parent) {
    setWindowTitle(QStringLiteral("Torvane \u2014 Open Game License"));
    auto *intro = new QLabel(QStringLiteral("Il bestiario di Torvane riporta i mostri del System "
                                            "Reference Document 3.5, Open Game Content sotto la "
                                            "licenza che segue. Il resto del programma non è Open "
                                            "Game Content."),
                             this);
    intro->setObjectName(QStringLiteral("Spiegazione"));
    intro->setWordWrap(true);
    auto *text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("TestoLicenza"));
    text->setOpenExternalLinks(false);
    text->setOpenLinks(false);
    QFile file(resourcePath());
    if (file.open(QIODevice::ReadOnly))
        text->setMarkdown(QString::fromUtf8(file.readAll()));
    auto *close = new QPushButton(QStringLiteral("Chiudi"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setToolTip(QStringLiteral("Esc"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(text, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    const QScreen *where = screen() ? screen() : QGuiApplication::primaryScreen();
    QSize size(twips(9600), twips(8400)); // smaller on a screen without room for it
    if (where)
        size = size.boundedTo(where->availableGeometry().size() - QSize(16, 48));
    resize(size);
    connect(close, &QPushButton::clicked, this, &Form::closeRequested);
    hide();
}

void LicenceWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        emit closeRequested();
        return;
    }
    Form::keyPressEvent(event);
}
