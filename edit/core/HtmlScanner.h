#pragma once
// Reads HTML one line at a time for colouring: what each run of characters is (a tag, an
// attribute, a comment, ...) and the state a line ends in, so that comments, tags and the
// contents of <script> and <style> that span lines colour correctly. It never changes the text.
#include <QList>
#include <QStringView>

enum class HtmlRole {
    Tag,            // < name, / and >
    AttributeName,
    AttributeValue,
    Comment,
    CharacterReference,  // &amp; &#x41; ...
    Doctype,
    Script,         // contents of <script>
    Style,          // contents of <style>
    HiddenCharacter,  // a character the pane shows by a stand-in (see TextBox)
};

struct HtmlSpan {
    int start;
    int length;
    HtmlRole role;
    bool operator==(const HtmlSpan &) const = default;
};

// The state between lines: where the scanner is at a line's end. Small non-negative numbers.
namespace HtmlState {
enum : int {
    Text = 0,
    Comment = 1,
    Doctype = 2,
    InTag = 3,          // inside a tag, among its attributes
    InDoubleQuoted = 4,  // inside an attribute value in "..."
    InSingleQuoted = 5,
    Script = 6,
    Style = 7,
    // Added to the three tag states when the tag opens <script> or <style>: its '>' leads into
    // their contents.
    OpensScript = 8,
    OpensStyle = 16,
};
}

// Scans one line starting in startState; appends its spans (when spans is not null) and
// returns the state at its end.
int scanHtmlLine(QStringView line, int startState, QList<HtmlSpan> *spans);
