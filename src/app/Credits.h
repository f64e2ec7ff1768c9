#pragma once

#include "ui/Form.h"

#include <QUrl>
#include <functional>

namespace credits {
inline const QString team = QStringLiteral("il team di Torvane");
inline const QString byline = QStringLiteral("a cura del team di Torvane");
inline const QString site = QStringLiteral("https://torvane.example.org");
inline const QString email = QStringLiteral("torvane@example.org");
} // namespace credits

// The credits window (Form5) with its one link, and the bestiary's licence notice with the way
// to its text.
class CreditsWindow : public Form {
    Q_OBJECT
public:
    using UrlOpener = std::function<bool(const QUrl &)>;

    // `openUrl` hands an address to the desktop's browser (QDesktopServices by default).
    explicit CreditsWindow(UrlOpener openUrl = {}, QWidget *parent = nullptr);

    // Hands the address to the opener and returns what it says (GoURL).
    bool goUrl(const QString &address);

signals:
    void licenceRequested(); // "Licenza…": the Open Game License
protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setLinkLit(bool lit);

    UrlOpener m_openUrl;
    QLabel *m_link;
    QLabel *m_background;
};

// The text of the Open Game License 1.0a (FormLicenza), under which the bestiary is Open Game
// Content, as the reference document gives it.
class LicenceWindow : public Form {
    Q_OBJECT
public:
    explicit LicenceWindow(QWidget *parent = nullptr);
    static QString resourcePath();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
