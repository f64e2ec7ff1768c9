#include "web/PlayersWeb.h"

#include "common/Dialogs.h"
#include "encounter/PlayersWindow.h"
#include "web/PageServer.h"

#include <QSettings>

namespace {

const QString portKey = QStringLiteral("giocatori/porta");

} // namespace

PlayersWeb::PlayersWeb(PlayersWindow &window, Dialogs &dialogs, QString settingsFile,
                       QObject *parent)
    : QObject(parent), m_window(window), m_dialogs(dialogs),
      m_settingsFile(std::move(settingsFile)), m_server(new PageServer(window.model(), this)) {
    connect(&window, &PlayersWindow::webViewToggled, this, &PlayersWeb::turn);
}

PlayersWeb::~PlayersWeb() {
    m_server->stop();
}

void PlayersWeb::turn(bool on) {
    if (!on) {
        m_server->stop();
        m_window.showWebAddress({});
        return;
    }
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    const uint kept = settings.value(portKey, defaultPort).toUInt();
    const quint16 port = kept > 0 && kept <= 65535 ? quint16(kept) : defaultPort;
    if (!m_server->start(port, m_address)) {
        m_window.showWebAddress({});
        m_dialogs.inform(QStringLiteral("Non è stato possibile mostrare la vista sui telefoni: "
                                        "nessuna porta libera."));
        return;
    }
    settings.setValue(portKey, m_server->port());
    m_window.showWebAddress(m_server->url().toString());
}
