#include "core/groups/Group.h"

#include "core/text/NumericText.h"
#include "core/text/Record.h"

#include <algorithm>

int Group::countOf(const QString &text) {
    const auto whole = numeric::roundHalfEven(numeric::leading(text));
    if (!whole)
        return numeric::leading(text) < 0 ? -1 : 1000;
    return static_cast<int>(std::clamp<std::int64_t>(*whole, -1000, 1000));
}

QStringList Group::toRecord() const {
    QStringList fields{record::substitute(name, scheme), record::quoteSafe(count)};
    const int used = n();
    for (int i = 0; i < maxCharacters; ++i)
        fields << (i < used ? record::substitute(names[static_cast<std::size_t>(i)], scheme)
                            : QString());
    return fields;
}

Group Group::fromRecord(const QStringList &fields, const QString &loadedAs, const Group &previous) {
    Group group = previous;
    group.name = loadedAs;
    group.count = record::quoteBack(fields.value(1));
    const int used = std::min(group.n(), maxCharacters);
    for (int i = 0; i < used; ++i)
        group.names[static_cast<std::size_t>(i)] = record::restore(fields.value(2 + i), scheme);
    return group;
}
