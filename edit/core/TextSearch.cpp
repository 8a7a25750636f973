#include "edit/core/TextSearch.h"

SearchHit findInText(const QString &text, const QString &needle, qsizetype selStart, qsizetype selEnd,
                     SearchDirection direction, Qt::CaseSensitivity cs)
{
    SearchHit hit;
    if (needle.isEmpty() || needle.size() > text.size())
        return hit;
    selStart = qBound<qsizetype>(0, selStart, text.size());
    selEnd = qBound<qsizetype>(selStart, selEnd, text.size());
    if (direction == SearchDirection::Forward) {
        // After the selection; a collapsed caret counts as an empty selection at its place.
        const qsizetype from = selEnd > selStart ? selStart + 1 : selStart;
        hit.start = text.indexOf(needle, from, cs);
        if (hit.start < 0) {
            hit.start = text.indexOf(needle, 0, cs);
            hit.wrapped = hit.start >= 0;
        }
    } else {
        // lastIndexOf takes the position where a match may start at the latest.
        if (selStart > 0)
            hit.start = text.lastIndexOf(needle, selStart - 1, cs);
        if (hit.start < 0) {
            hit.start = text.lastIndexOf(needle, -1, cs);
            hit.wrapped = hit.start >= 0;
        }
    }
    return hit;
}

ReplaceAllResult replaceAllInText(const QString &text, const QString &needle, const QString &with,
                                  Qt::CaseSensitivity cs)
{
    ReplaceAllResult r;
    if (needle.isEmpty())
        return r;
    qsizetype at = text.indexOf(needle, 0, cs);
    if (at < 0)
        return r;
    r.spanStart = at;
    qsizetype copied = at;
    while (at >= 0) {
        r.replacement.append(QStringView(text).mid(copied, at - copied));
        r.replacement.append(with);
        copied = at + needle.size();
        ++r.count;
        at = text.indexOf(needle, copied, cs);
    }
    r.spanEnd = copied;
    return r;
}
