#pragma once
// Find and replace over the pane's text as one string, with no window: the find bar and the
// tests call the same functions. Positions are indices into the text as TextBox::Text() gives
// it, which are the pane's cursor positions too.
#include <QString>

enum class SearchDirection { Forward, Backward };

struct SearchHit {
    qsizetype start = -1;  // -1: not found anywhere
    bool wrapped = false;  // found only after going round the end (or the start) of the text
    bool found() const { return start >= 0; }
};

// The next match of needle strictly after the selection [selStart, selEnd) going forward (or
// strictly before it going backward), going round the text once. A match that is the selection
// itself is found again only when it is the one match in the text.
SearchHit findInText(const QString &text, const QString &needle, qsizetype selStart, qsizetype selEnd,
                     SearchDirection direction, Qt::CaseSensitivity cs);

struct ReplaceAllResult {
    qsizetype count = 0;       // matches replaced
    qsizetype spanStart = 0;   // the part of the old text that changes: [spanStart, spanEnd)
    qsizetype spanEnd = 0;
    QString replacement;       // what that part becomes
};

// Every non-overlapping match, left to right, in one pass. The result covers only the span from
// the first match to the end of the last one, so the caller can apply it as one edit.
ReplaceAllResult replaceAllInText(const QString &text, const QString &needle, const QString &with,
                                  Qt::CaseSensitivity cs);
