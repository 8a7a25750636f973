#pragma once
// What the pane offers while HTML is typed, worked out on a piece of text: the end tag "</"
// completes, the names a list offers after "<" or inside a start tag, the partner of the tag at
// the caret and the tag help entry for it. Positions are offsets into the piece, which starts in
// the scanner's state startState (the pane hands over the lines around the caret).
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

class HtmlVocabulary;

// Replace [start, end) with text; the caret goes to caret.
struct TextEdit {
    int start = 0;
    int end = 0;
    QString text;
    int caret = 0;
    bool operator==(const TextEdit &) const = default;
};

struct NameCompletion {
    enum class Kind { None, Element, Attribute };
    Kind kind = Kind::None;
    int start = 0;        // where the name being typed starts
    int end = 0;          // the caret
    QString element;      // the tag's element, for attributes
    QStringList names;    // what the list offers, best first
};

namespace TypingAids {

// After "</" was typed, ending at caret: the rest of the end tag of the innermost element still
// open there ("li>"), written as its start tag was; before a '>' already there, the name alone,
// the caret staying before the '>'. None inside a comment, a quoted value, <script> or <style>,
// when nothing is open, or when a name follows the caret.
std::optional<TextEdit> closeTag(QStringView text, int startState, int caret, const HtmlVocabulary &names);

// The names to offer with the caret at the end of a name being typed just after "<", or at an
// attribute's name in a start tag. Kind None (and no names) anywhere else.
NameCompletion completionAt(QStringView text, int startState, int caret, const HtmlVocabulary &names);

// The edit that accepts name: the name being typed becomes name, in capitals if it was typed so;
// an attribute that takes a value gets ="" with the caret between the quotes.
TextEdit acceptCompletion(QStringView text, const NameCompletion &completion, const QString &name,
                          const HtmlVocabulary &names);

struct TagPair {
    int start, end;                // the tag at the caret
    int partnerStart, partnerEnd;  // the tag that opens or ends its element
};
// The tag at the caret and its partner, when the piece holds both.
std::optional<TagPair> matchingTags(QStringView text, int startState, int caret, const HtmlVocabulary &names);

// The entry of the tag help list (entries in list order, each naming its tags as "<NAME>",
// the comment as "<!--") that covers the tag or comment at the caret; where two entries cover a
// tag (<LI> in both lists), the one naming an element open around it. -1 when none does.
int helpEntryAt(QStringView text, int startState, int caret, const QStringList &entries,
                const HtmlVocabulary &names);

} // namespace TypingAids
