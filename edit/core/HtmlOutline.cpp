#include "edit/core/HtmlOutline.h"

#include "edit/core/HtmlScanner.h"
#include "edit/core/HtmlVocabulary.h"

#include <algorithm>

QList<HtmlSpan> scanHtmlText(QStringView text, int startState, int *endState)
{
    QList<HtmlSpan> spans, line;
    int state = startState;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        line.clear();
        state = scanHtmlLine(text.mid(lineStart, lineEnd - lineStart), state, &line);
        for (HtmlSpan s : line) {
            s.start += int(lineStart);
            spans << s;
        }
        lineStart = lineEnd + 1;
    }
    if (endState)
        *endState = state;
    return spans;
}

QList<HtmlTagRef> htmlTagsOf(QStringView text, const QList<HtmlSpan> &spans)
{
    QList<HtmlTagRef> tags;
    // A tag begins in a Tag span opening with '<'; its last Tag span ('>' or "/>") ends it. A
    // piece that starts inside a tag has that tag's end alone, which is no tag.
    bool inTag = false;
    for (const HtmlSpan &s : spans) {
        if (s.role != HtmlRole::Tag)
            continue;
        const QStringView piece = text.mid(s.start, s.length);
        if (piece.startsWith(u'<')) {
            HtmlTagRef tag;
            tag.start = s.start;
            tag.closing = piece.startsWith(u"</");
            tag.name = piece.mid(tag.closing ? 2 : 1).toString();
            tag.key = tag.name.toLower();
            tags << tag;
            inTag = true;
        } else if (inTag) {
            tags.last().end = s.start + s.length;
            tags.last().selfClosing = piece.startsWith(u'/');
            inTag = false;
        }
    }
    return tags;
}

QList<HtmlTagRef> readHtmlTags(QStringView text, int startState)
{
    return htmlTagsOf(text, scanHtmlText(text, startState));
}

HtmlNesting nestHtmlTags(const QList<HtmlTagRef> &tags, const HtmlVocabulary &names, int count)
{
    if (count < 0 || count > tags.size())
        count = int(tags.size());
    HtmlNesting n;
    n.partner.fill(-1, tags.size());
    QList<int> &open = n.open;
    for (int i = 0; i < count; ++i) {
        const HtmlTagRef &tag = tags[i];
        if (tag.closing) {
            // Closes its element and what is still open inside it; an end tag of nothing open
            // is ignored, as browsers do.
            const int deepest = std::max(0, int(open.size()) - MaxDepth);
            for (int k = int(open.size()) - 1; k >= deepest; --k) {
                if (tags[open[k]].key == tag.key) {
                    n.partner[open[k]] = i;
                    n.partner[i] = open[k];
                    open.resize(k);
                    break;
                }
            }
            continue;
        }
        // Start tags end open elements whose end tag may be left out, as often as a rule applies
        // (a <tr> ends the open cell, then the open row).
        for (bool ended = true; ended;) {
            ended = false;
            for (const HtmlImpliedEnd &rule : names.impliedEnds()) {
                if (!rule.by.contains(tag.key))
                    continue;
                const int deepest = std::max(0, int(open.size()) - MaxDepth);
                for (int k = int(open.size()) - 1; k >= deepest; --k) {
                    const QString &openName = tags[open[k]].key;
                    if (rule.ended.contains(openName)) {
                        open.resize(k);
                        ended = true;
                        break;
                    }
                    if (rule.within.contains(openName))
                        break;
                }
            }
        }
        const HtmlElementInfo *known = names.element(tag.key);
        // A "/>" ends only elements the file does not know (those of SVG and MathML): browsers
        // read <div/> as an open <div>.
        if ((known && known->isVoid) || (tag.selfClosing && !known))
            continue;
        open << i;
    }
    return n;
}

int htmlTagAt(const QList<HtmlTagRef> &tags, int position)
{
    int found = -1;
    for (int i = 0; i < tags.size(); ++i) {
        const HtmlTagRef &t = tags[i];
        if (t.start > position)
            break;
        const int end = t.end < 0 ? INT_MAX : t.end;
        if (position <= end)
            found = i;  // a later tag starting at position wins
    }
    return found;
}
