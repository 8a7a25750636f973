#include "edit/core/TypingAids.h"

#include "edit/core/HtmlScanner.h"
#include "edit/core/HtmlOutline.h"
#include "edit/core/HtmlVocabulary.h"

#include <QRegularExpression>

namespace {

// A name already follows the caret: the aids leave it alone. Only the characters of HTML's own
// names count, so Japanese text right after a tag does not stop them.
bool nameFollows(QStringView text, int caret)
{
    if (caret >= text.size())
        return false;
    const QChar c = text[caret];
    return c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':' || c == u'.');
}

bool typedInCapitals(QStringView name)
{
    const QString s = name.toString();
    return s != s.toLower() && s == s.toUpper();
}

// The tag names an entry of the help list covers ("<TABLE><TR><TD>　表"), in lower case.
QStringList namesOfEntry(const QString &entry)
{
    static const QRegularExpression tag(QStringLiteral("<([A-Za-z][A-Za-z0-9]*)>"));
    QStringList names;
    for (const QRegularExpressionMatch &m : tag.globalMatch(entry))
        names << m.captured(1).toLower();
    return names;
}

} // namespace

namespace TypingAids {

std::optional<TextEdit> closeTag(QStringView text, int startState, int caret, const HtmlVocabulary &names)
{
    if (caret < 2 || caret > text.size() || text.mid(caret - 2, 2) != u"</" || nameFollows(text, caret))
        return std::nullopt;
    const QStringView before = text.left(caret - 2);
    int state = 0;
    const QList<HtmlSpan> spans = scanHtmlText(before, startState, &state);
    if (state != HtmlState::Text)
        return std::nullopt;  // in a comment, a tag, a value, a script or a style
    const QList<HtmlTagRef> tags = htmlTagsOf(before, spans);
    const HtmlNesting nesting = nestHtmlTags(tags, names);
    if (nesting.open.isEmpty())
        return std::nullopt;
    const QString name = tags[nesting.open.last()].name;
    const bool closed = caret < text.size() && text[caret] == u'>';
    // Before a '>' already there the caret stays before it: what is typed next then lands
    // where it would have without the completion.
    TextEdit edit{caret, caret, closed ? name : name + u'>', caret + int(name.size()) + (closed ? 0 : 1)};
    return edit;
}

NameCompletion completionAt(QStringView text, int startState, int caret, const HtmlVocabulary &names)
{
    NameCompletion c;
    if (caret <= 0 || caret > text.size() || nameFollows(text, caret))
        return c;
    const QStringView before = text.left(caret);
    int state = 0;
    const QList<HtmlSpan> spans = scanHtmlText(before, startState, &state);
    if ((state & 7) != HtmlState::InTag || spans.isEmpty())
        return c;
    const QList<HtmlTagRef> tags = htmlTagsOf(before, spans);
    if (tags.isEmpty() || tags.last().end >= 0 || tags.last().closing)
        return c;
    const HtmlTagRef &tag = tags.last();
    const HtmlSpan &last = spans.last();
    if (last.start + last.length != caret)
        return c;
    if (last.role == HtmlRole::Tag && last.start == tag.start) {
        c.kind = NameCompletion::Kind::Element;
        c.start = tag.start + 1;
        c.end = caret;
        c.names = names.elementNames(tag.name);
        return c;
    }
    if (last.role != HtmlRole::AttributeName || last.start == 0 || !text[last.start - 1].isSpace())
        return c;
    QStringList present;
    for (const HtmlSpan &s : spans)
        if (s.role == HtmlRole::AttributeName && s.start > tag.start && s.start != last.start)
            present << text.mid(s.start, s.length).toString();
    c.kind = NameCompletion::Kind::Attribute;
    c.start = last.start;
    c.end = caret;
    c.element = tag.name;
    c.names = names.attributeNames(tag.name, text.mid(last.start, last.length), present);
    return c;
}

TextEdit acceptCompletion(QStringView text, const NameCompletion &completion, const QString &name,
                          const HtmlVocabulary &names)
{
    QString written = typedInCapitals(text.mid(completion.start, completion.end - completion.start))
                          ? name.toUpper() : name;
    int caret = completion.start + int(written.size());
    if (completion.kind == NameCompletion::Kind::Attribute && !names.isBooleanAttribute(completion.element, name)
        && !(completion.end < text.size() && text[completion.end] == u'=')) {
        written += QStringLiteral("=\"\"");
        caret += 2;
    }
    return TextEdit{completion.start, completion.end, written, caret};
}

std::optional<TagPair> matchingTags(QStringView text, int startState, int caret, const HtmlVocabulary &names)
{
    const QList<HtmlTagRef> tags = readHtmlTags(text, startState);
    const int at = htmlTagAt(tags, caret);
    if (at < 0 || tags[at].end < 0)
        return std::nullopt;
    const int partner = nestHtmlTags(tags, names).partner[at];
    if (partner < 0 || tags[partner].end < 0)
        return std::nullopt;
    return TagPair{tags[at].start, tags[at].end, tags[partner].start, tags[partner].end};
}

int helpEntryAt(QStringView text, int startState, int caret, const QStringList &entries,
                const HtmlVocabulary &names)
{
    const QList<HtmlSpan> spans = scanHtmlText(text, startState);
    for (const HtmlSpan &s : spans) {
        if (s.role == HtmlRole::Comment && caret >= s.start && caret <= s.start + s.length) {
            for (int i = 0; i < entries.size(); ++i)
                if (entries[i].startsWith(u"<!--"))
                    return i;
            return -1;
        }
    }
    const QList<HtmlTagRef> tags = htmlTagsOf(text, spans);
    const int at = htmlTagAt(tags, caret);
    if (at < 0)
        return -1;
    const QString name = tags[at].name.toLower();
    QList<int> covering;
    for (int i = 0; i < entries.size(); ++i)
        if (namesOfEntry(entries[i]).contains(name))
            covering << i;
    if (covering.size() < 2)
        return covering.isEmpty() ? -1 : covering.first();
    // The same tag in two entries: the one naming the nearest element open around it.
    const HtmlNesting nesting = nestHtmlTags(tags, names, at);
    for (qsizetype k = nesting.open.size() - 1; k >= 0; --k) {
        const QString around = tags[nesting.open[k]].name.toLower();
        if (around == name)
            continue;
        for (int i : covering)
            if (namesOfEntry(entries[i]).contains(around))
                return i;
    }
    return covering.first();
}

} // namespace TypingAids
