#include "core/files/ListFile.h"

#include "core/files/FileNames.h"
#include "core/text/Record.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString markSuffix = QStringLiteral(".cancellazione");
const QString asideSuffix = QStringLiteral(".danneggiato");

} // namespace

ListFile::ListFile(QString folder) : m_folder(std::move(folder)) {}

QString ListFile::path() const {
    return m_folder + u'/' + fileNames::listName + fileNames::extension;
}

QString ListFile::markPath() const {
    return path() + markSuffix;
}

ListFile::Read ListFile::read() const {
    const files::Bytes read = files::readRegular(path(), maxBytes);
    if (read.failure == files::ReadFailure::Missing)
        return {};
    if (read.failure != files::ReadFailure::None)
        return {{}, State::Unreadable};
    const record::List list = record::decodeList(read.bytes);
    return {list.entries, list.damaged ? State::Damaged : State::Whole};
}

QString ListFile::freeAsideName() const {
    QString aside = path() + asideSuffix;
    for (int n = 2; QFileInfo(aside).exists() || files::isLink(aside); ++n)
        aside = path() + asideSuffix + u'.' + QString::number(n);
    return aside;
}

bool ListFile::stage(files::StagedFile &staged, const QStringList &entries) const {
    return staged.write(path(), record::encodeList(entries));
}

bool ListFile::put(files::StagedFile &staged, bool keepAside, QString &aside) const {
    // The old list goes aside first and comes back when the new one cannot take its place.
    const QString list = path();
    QString kept;
    if (keepAside && (QFileInfo(list).exists() || files::isLink(list))) {
        kept = freeAsideName();
        if (!files::renameEntry(list, kept))
            return false;
    }
    if (!staged.commit()) {
        if (!kept.isEmpty())
            files::renameEntry(kept, list);
        return false;
    }
    if (!kept.isEmpty())
        aside = kept;
    return true;
}

bool ListFile::moveLinkAside(QString &aside) const {
    if (!files::isLink(path()))
        return true;
    const QString kept = freeAsideName();
    if (!files::renameEntry(path(), kept))
        return false;
    aside = kept;
    return true;
}

void ListFile::putBack(const QString &aside) const {
    files::renameEntry(aside, path());
}

bool ListFile::replace(const QStringList &entries, bool keepAside, QString &aside) const {
    const bool linkFirst = keepAside && files::isLink(path());
    if (linkFirst && !moveLinkAside(aside))
        return false;
    files::StagedFile staged;
    if (!stage(staged, entries) || !put(staged, keepAside && !linkFirst, aside)) {
        if (linkFirst)
            putBack(aside);
        aside.clear();
        return false;
    }
    folders::syncFolder(m_folder);
    return true;
}

bool ListFile::markDelete(const QString &name, const QStringList &after) const {
    return !files::isLink(markPath()) &&
           folders::writeWhole(markPath(), record::encodeList(QStringList{name} + after));
}

ListFile::DeleteMark ListFile::deleteMark() const {
    const files::Bytes marker = files::readRegular(markPath(), maxBytes + fileNames::maxBytes + 4);
    if (marker.failure == files::ReadFailure::Missing)
        return {};
    if (marker.failure == files::ReadFailure::None) {
        const record::List planned = record::decodeList(marker.bytes);
        if (!planned.damaged && !planned.entries.isEmpty())
            return {DeleteMark::State::Planned, planned.entries.first(), planned.entries.mid(1)};
    }
    return {DeleteMark::State::Unusable, {}, {}};
}

bool ListFile::unmark() const {
    return QFile::remove(markPath());
}

ListRepair ListFile::repairOf(State state, const QString &aside) {
    if (aside.isEmpty())
        return {};
    return {state == State::Unreadable ? ListRepair::Kind::Rebuilt : ListRepair::Kind::Salvaged,
            QFileInfo(aside).fileName()};
}
