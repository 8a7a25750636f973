#include "edit/core/HtmlScanner.h"

#include "edit/core/PaneText.h"

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char(':')
           || c == QLatin1Char('.');
}

class LineScanner {
public:
    LineScanner(QStringView line, QList<HtmlSpan> *spans) : s_(line), spans_(spans) {}

    int run(int state)
    {
        while (i_ < s_.size()) {
            switch (state & 7) {
            case HtmlState::Text: state = text(); break;
            case HtmlState::Comment: state = untilEnd(u"-->", HtmlRole::Comment, HtmlState::Comment); break;
            case HtmlState::Doctype: state = untilEnd(u">", HtmlRole::Doctype, HtmlState::Doctype); break;
            case HtmlState::InTag: state = tag(state & ~7); break;
            case HtmlState::InDoubleQuoted:
            case HtmlState::InSingleQuoted: state = quoted(state); break;
            case HtmlState::Script: state = raw(u"</script", HtmlRole::Script, HtmlState::Script); break;
            case HtmlState::Style: state = raw(u"</style", HtmlRole::Style, HtmlState::Style); break;
            default: state = HtmlState::Text; break;
            }
        }
        return state;
    }

private:
    void add(qsizetype start, qsizetype end, HtmlRole role)
    {
        if (spans_ && end > start)
            spans_->append({int(start), int(end - start), role});
    }

    // Stands-in for characters the pane cannot hold get their own colour wherever they are.
    void addWithHidden(qsizetype start, qsizetype end, HtmlRole role)
    {
        if (!spans_)
            return;
        qsizetype from = start;
        for (qsizetype k = start; k < end; ++k) {
            if (isHiddenStandIn(s_[k])) {
                add(from, k, role);
                add(k, k + 1, HtmlRole::HiddenCharacter);
                from = k + 1;
            }
        }
        add(from, end, role);
    }

    int text()
    {
        while (i_ < s_.size()) {
            const QChar c = s_[i_];
            if (c == QLatin1Char('&')) {
                qsizetype j = i_ + 1;
                if (j < s_.size() && s_[j] == QLatin1Char('#'))
                    ++j;
                const qsizetype nameStart = j;
                while (j < s_.size() && s_[j].isLetterOrNumber() && s_[j].unicode() < 128)
                    ++j;
                if (j > nameStart && j < s_.size() && s_[j] == QLatin1Char(';')) {
                    add(i_, j + 1, HtmlRole::CharacterReference);
                    i_ = j + 1;
                    continue;
                }
            } else if (c == QLatin1Char('<')) {
                const QStringView rest = s_.mid(i_);
                if (rest.startsWith(u"<!--")) {
                    const qsizetype start = i_;
                    i_ += 4;
                    return untilEnd(u"-->", HtmlRole::Comment, HtmlState::Comment, start);
                }
                if (rest.startsWith(u"<!") || rest.startsWith(u"<?")) {
                    const qsizetype start = i_;
                    i_ += 2;
                    return untilEnd(u">", HtmlRole::Doctype, HtmlState::Doctype, start);
                }
                const bool closing = rest.startsWith(u"</");
                qsizetype j = i_ + (closing ? 2 : 1);
                if (j < s_.size() && s_[j].isLetter()) {
                    const qsizetype nameStart = j;
                    while (j < s_.size() && isNameChar(s_[j]))
                        ++j;
                    const QStringView name = s_.mid(nameStart, j - nameStart);
                    add(i_, j, HtmlRole::Tag);
                    i_ = j;
                    int opens = 0;
                    if (!closing && name.compare(u"script", Qt::CaseInsensitive) == 0)
                        opens = HtmlState::OpensScript;
                    else if (!closing && name.compare(u"style", Qt::CaseInsensitive) == 0)
                        opens = HtmlState::OpensStyle;
                    return HtmlState::InTag | opens;
                }
            } else if (isHiddenStandIn(c)) {
                add(i_, i_ + 1, HtmlRole::HiddenCharacter);
            }
            ++i_;
        }
        return HtmlState::Text;
    }

    int tag(int opens)
    {
        while (i_ < s_.size()) {
            const QChar c = s_[i_];
            if (c == QLatin1Char('>')) {
                add(i_, i_ + 1, HtmlRole::Tag);
                ++i_;
                if (opens == HtmlState::OpensScript)
                    return HtmlState::Script;
                if (opens == HtmlState::OpensStyle)
                    return HtmlState::Style;
                return HtmlState::Text;
            }
            if (c == QLatin1Char('/') && i_ + 1 < s_.size() && s_[i_ + 1] == QLatin1Char('>')) {
                add(i_, i_ + 2, HtmlRole::Tag);
                i_ += 2;
                return HtmlState::Text;  // <script/> has no contents
            }
            if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                return quoted((c == QLatin1Char('"') ? HtmlState::InDoubleQuoted : HtmlState::InSingleQuoted) | opens,
                              /*opening=*/true);
            }
            if (c == QLatin1Char('=')) {
                ++i_;
                while (i_ < s_.size() && s_[i_].isSpace())
                    ++i_;
                if (i_ < s_.size() && s_[i_] != QLatin1Char('"') && s_[i_] != QLatin1Char('\'')) {
                    const qsizetype start = i_;
                    while (i_ < s_.size() && !s_[i_].isSpace() && s_[i_] != QLatin1Char('>'))
                        ++i_;
                    addWithHidden(start, i_, HtmlRole::AttributeValue);
                }
                continue;
            }
            if (c.isSpace() || c == QLatin1Char('/')) {
                ++i_;
                continue;
            }
            const qsizetype start = i_;
            while (i_ < s_.size() && !s_[i_].isSpace() && s_[i_] != QLatin1Char('=') && s_[i_] != QLatin1Char('>')
                   && s_[i_] != QLatin1Char('"') && s_[i_] != QLatin1Char('\'')
                   && !(s_[i_] == QLatin1Char('/') && i_ + 1 < s_.size() && s_[i_ + 1] == QLatin1Char('>')))
                ++i_;
            if (i_ == start)
                ++i_;
            add(start, i_, HtmlRole::AttributeName);
        }
        return HtmlState::InTag | opens;
    }

    // A quoted attribute value; a '>' inside it does not end the tag.
    int quoted(int state, bool opening = false)
    {
        const QChar quote = (state & 7) == HtmlState::InDoubleQuoted ? QLatin1Char('"') : QLatin1Char('\'');
        const int opens = state & ~7;
        const qsizetype start = i_;
        qsizetype end = s_.indexOf(quote, opening ? i_ + 1 : i_);
        if (end < 0) {
            addWithHidden(start, s_.size(), HtmlRole::AttributeValue);
            i_ = s_.size();
            return state;
        }
        addWithHidden(start, end + 1, HtmlRole::AttributeValue);
        i_ = end + 1;
        return HtmlState::InTag | opens;
    }

    int untilEnd(QStringView terminator, HtmlRole role, int inside, qsizetype start = -1)
    {
        if (start < 0)
            start = i_;
        const qsizetype end = s_.indexOf(terminator, i_);
        if (end < 0) {
            addWithHidden(start, s_.size(), role);
            i_ = s_.size();
            return inside;
        }
        addWithHidden(start, end + terminator.size(), role);
        i_ = end + terminator.size();
        return HtmlState::Text;
    }

    int raw(QStringView closingTag, HtmlRole role, int inside)
    {
        const qsizetype end = s_.indexOf(closingTag, i_, Qt::CaseInsensitive);
        if (end < 0) {
            addWithHidden(i_, s_.size(), role);
            i_ = s_.size();
            return inside;
        }
        addWithHidden(i_, end, role);
        i_ = end;
        return HtmlState::Text;  // the closing tag is read as a tag
    }

    QStringView s_;
    QList<HtmlSpan> *spans_;
    qsizetype i_ = 0;
};

} // namespace

int scanHtmlLine(QStringView line, int startState, QList<HtmlSpan> *spans)
{
    if (startState < 0)
        startState = HtmlState::Text;
    return LineScanner(line, spans).run(startState);
}
