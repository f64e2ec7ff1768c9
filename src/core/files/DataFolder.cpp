#include "core/files/DataFolder.h"

#include "core/text/Record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

using files::isLink;
using files::ReadFailure;
using folders::syncFolder;

DataFolder::DataFolder(QString path) : m_path(std::move(path)), m_list(m_path) {}

QString DataFolder::itemPath(const QString &name) const {
    return m_path + u'/' + name + fileNames::extension;
}

bool DataFolder::exists(const QString &name) const {
    if (nameProblem(name))
        return false;
    return QFileInfo(itemPath(name)).isFile();
}

QStringList DataFolder::entries() const {
    return m_list.read().entries;
}

QStringList DataFolder::wholeItems(int fieldCount, const QStringList &except) const {
    const QSet<QString> skip(except.begin(), except.end());
    QStringList names;
    const auto files =
        QDir(m_path).entryList({QStringLiteral("*") + fileNames::extension},
                               QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &file : files) {
        const QString name = file.chopped(fileNames::extension.size());
        if (!skip.contains(name) && read(name, fieldCount).status == Status::Loaded)
            names << name;
    }
    return names;
}

void DataFolder::settle() {
    // A delete that was cut short is carried to its end: the item file goes, the list becomes
    // the one the delete had planned. Doing it again changes nothing.
    const ListFile::DeleteMark mark = m_list.deleteMark();
    if (mark.state == ListFile::DeleteMark::State::Planned) {
        const QString item = itemPath(mark.name);
        if (fileNames::deletable(mark.name) && QFileInfo(item).isFile())
            QFile::remove(item);
        QString aside;
        if (!m_list.replace(mark.after, m_list.read().state != ListFile::State::Whole, aside))
            return; // the marker stays for the next time
    }
    bool changed = mark.state != ListFile::DeleteMark::State::None && m_list.unmark();
    // What a save killed before its commit left: "<file>.XXXXXX" beside the file it was to
    // replace.
    static const QRegularExpression temporary(
        QStringLiteral("\\.Melvo(\\.cancellazione)?\\.[A-Za-z]{6}$"));
    const auto files = QDir(m_path).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &file : files) {
        if (temporary.match(file).hasMatch())
            changed = QFile::remove(m_path + u'/' + file) || changed;
    }
    if (changed)
        syncFolder(m_path);
}

DataFolder::Refreshed DataFolder::refresh(int fieldCount) {
    settle();
    const ListFile::Read list = m_list.read();
    const bool whole = list.state == ListFile::State::Whole;
    const bool unreadable = list.state == ListFile::State::Unreadable;
    // Every whole item file is listed: one whose save was cut short between the item and the list
    // gets its entry now. A list that cannot be read at all is made again from the item files.
    QStringList entries = unreadable ? wholeItems(fieldCount, {}) : list.entries;
    if (!unreadable)
        entries += wholeItems(fieldCount, list.entries);
    if (whole && entries == list.entries)
        return {entries, {}};
    QString aside;
    if (!m_list.replace(entries, !whole, aside))
        return {entries, whole ? ListRepair{} : ListRepair{ListRepair::Kind::NotRepaired, {}}};
    return {entries, ListFile::repairOf(list.state, aside)};
}

DataFolder::Read DataFolder::read(const QString &name, int fieldCount) const {
    const auto failed = [](Status status, Fault fault) { return Read{status, {}, fault, {}}; };
    if (const auto problem = nameProblem(name))
        return {Status::BadName, {}, Fault::None, problem};
    const files::Bytes bytes = files::readRegular(itemPath(name), maxItemBytes);
    switch (bytes.failure) {
    case ReadFailure::None:
        break;
    case ReadFailure::Missing:
        return failed(Status::Missing, Fault::None);
    case ReadFailure::NotRegular:
        return failed(Status::Malformed, Fault::NotRegular);
    case ReadFailure::TooLarge:
        return failed(Status::Malformed, Fault::TooLarge);
    case ReadFailure::Unreadable:
        return failed(Status::Malformed, Fault::Unreadable);
    }
    if (bytes.bytes.isEmpty())
        return failed(Status::Empty, Fault::None);
    auto fields = record::decode(bytes.bytes, fieldCount);
    if (!fields)
        return failed(Status::Malformed, Fault::NotARecord);
    return {Status::Loaded, *fields, Fault::None, {}};
}

DataFolder::Saved DataFolder::write(const QString &name, const QStringList &fields) {
    using Result = Saved::Result;
    if (const auto problem = nameProblem(name))
        return {Result::BadName, problem, {}};
    if (!std::all_of(fields.begin(), fields.end(), record::representable))
        return {Result::TextNotRepresentable, {}, {}};
    settle();
    const QString item = itemPath(name);
    if (isLink(item))
        return {Result::ThroughLink, {}, {}};
    const bool existed = exists(name);
    const ListFile::Read list = m_list.read();
    // A list that cannot be read is made again from the item files, never replaced by this entry
    // alone.
    QStringList entries = list.state == ListFile::State::Unreadable
                              ? wholeItems(static_cast<int>(fields.size()), {})
                              : list.entries;
    // A new item gets its entry; so does an item whose file is there without one (a file copied
    // in by hand), or it would never be listed.
    const bool addEntry = !existed || !entries.contains(name);
    // A link in the list's place goes aside first, so that nothing is written through it; it
    // comes back if the save fails.
    QString aside;
    if (addEntry && !m_list.moveLinkAside(aside))
        return {Result::WriteFailed, {}, {}};
    const bool linkAside = !aside.isEmpty();
    const auto fail = [&] {
        if (linkAside)
            m_list.putBack(aside);
        return Saved{Result::WriteFailed, {}, {}};
    };
    if (addEntry)
        entries << name;
    // Both files are written in full before either takes its place, so that only a rename, not a
    // full disk, can fail between the two; then the old item is put back.
    const files::Bytes old =
        existed && addEntry ? files::readRegular(item, maxItemBytes) : files::Bytes{};
    files::StagedFile itemFile;
    files::StagedFile listFile;
    if (!itemFile.write(item, record::encode(fields)) ||
        (addEntry && !m_list.stage(listFile, entries)) || !itemFile.commit())
        return fail();
    // The item is in place for good before the list names it, power cut or not.
    syncFolder(m_path);
    if (!addEntry)
        return {Result::Saved, {}, {}};
    if (!m_list.put(listFile, list.state != ListFile::State::Whole && !linkAside, aside)) {
        if (!existed)
            QFile::remove(item);
        else if (old.failure == ReadFailure::None)
            folders::writeWhole(item, old.bytes);
        syncFolder(m_path);
        return fail();
    }
    syncFolder(m_path);
    return {Result::Saved, {}, ListFile::repairOf(list.state, aside)};
}

DataFolder::Removed DataFolder::remove(const QString &name) {
    using Result = Removed::Result;
    if (!fileNames::deletable(name))
        return {Result::BadName, nameProblem(name), {}};
    settle();
    const QString item = itemPath(name);
    const ListFile::Read list = m_list.read();
    QStringList entries = list.entries;
    const qsizetype last = entries.lastIndexOf(name);
    const bool hasFile = QFileInfo(item).isFile() || isLink(item);
    if (!hasFile && last < 0)
        return {Result::NothingSaved, {}, {}};
    // Before anything goes, a marker says what the delete will leave, so that one cut short is
    // finished by the next refresh instead of leaving an entry without its file.
    if (last >= 0) {
        entries.removeAt(last);
        if (!m_list.markDelete(name, entries))
            return {Result::NotDeleted, {}, {}};
    }
    if (hasFile && !QFile::remove(item)) {
        m_list.unmark();
        return {Result::NotDeleted, {}, {}};
    }
    ListRepair repair;
    if (last >= 0) {
        QString aside;
        if (!m_list.replace(entries, list.state != ListFile::State::Whole, aside)) {
            syncFolder(m_path);
            return {Result::ListNotUpdated, {}, {}}; // the marker stays: the next refresh retries
        }
        m_list.unmark();
        repair = ListFile::repairOf(list.state, aside);
    }
    syncFolder(m_path);
    return {Result::Deleted, {}, repair};
}
