#include "core/notepad/Page.h"

#include "core/text/Record.h"

using record::Scheme;

const QString Page::defaultText =
    QStringLiteral("Questo è il blocco appunti per il master,\r\nPuoi usarlo per scriverci tutto "
                   "quello di cui vuoi tener nota!\r\n");

QStringList Page::toRecord() const {
    return {record::substitute(name, Scheme::Notepad), record::substitute(text, Scheme::Notepad)};
}

Page Page::fromRecord(const QStringList &fields, const QString &loadedAs) {
    return {loadedAs, record::restore(fields.value(1), Scheme::Notepad)};
}
