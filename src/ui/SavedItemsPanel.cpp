#include "ui/SavedItemsPanel.h"

#include "common/Dialogs.h"
#include "ui/Form.h"
#include "ui/StorageDialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

SavedItemsPanel::SavedItemsPanel(Dialogs &dialogs, const QString &folder, int fieldCount,
                                 QComboBox *chooser, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_folder(folder), m_fieldCount(fieldCount),
      m_chooser(chooser) {}

SavedItemsPanel::Controls SavedItemsPanel::placeControls(QWidget *canvas, const QString &title,
                                                         const Places &at) {
    Controls made{};
    made.frame = ::place<QGroupBox>(canvas, QStringLiteral("Frame1"), at.frame, title);
    made.chooser = ::place<QComboBox>(made.frame, QStringLiteral("ElencoFile"), at.chooser);
    const auto button = [&](int i, const char *name, const char *caption) {
        return ::place<QPushButton>(canvas, QString::fromLatin1(name),
                                    at.buttons[static_cast<std::size_t>(i)],
                                    QString::fromLatin1(caption));
    };
    made.nuovo = button(0, "Nuovo", "NUOVO");
    made.salva = button(1, "Salva", "SALVA");
    made.carica = button(2, "Carica", "CARICA");
    made.cancella = button(3, "Cancella", "CANCELLA");
    made.refresh = ::place<QPushButton>(canvas, QStringLiteral("Command1"), QRect(),
                                        QStringLiteral("REFRESH"));
    made.refresh->hide(); // never shown
    return made;
}

bool SavedItemsPanel::confirmClear() const {
    return m_dialogs.ask(QStringLiteral("Sei sicuro?"), QStringLiteral("Confermi?"));
}

void SavedItemsPanel::saveAsked(const QString &name,
                                const std::function<std::optional<QStringList>()> &record) {
    if (!storageDialogs::confirmSave(m_dialogs, name))
        return;
    const std::optional<QStringList> fields = record();
    if (fields && save(name, *fields))
        refresh();
}

bool SavedItemsPanel::save(const QString &name, const QStringList &fields) {
    return storageDialogs::save(m_dialogs, m_folder, name, fields);
}

DataFolder::Read SavedItemsPanel::load(const QString &name) const {
    return storageDialogs::load(m_dialogs, m_folder, name, m_fieldCount);
}

void SavedItemsPanel::removeAsked(const QString &name) {
    if (storageDialogs::remove(m_dialogs, m_folder, name))
        refresh();
}

void SavedItemsPanel::refresh() {
    m_chooser->clear();
    m_chooser->addItems(storageDialogs::refresh(m_dialogs, m_folder, m_fieldCount));
    if (m_chooser->count() > 0)
        m_chooser->setCurrentIndex(0);
}
