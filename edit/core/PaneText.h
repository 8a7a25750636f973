#pragma once
// What the editing pane holds in place of what it cannot hold as it is.
//
// Characters a Qt text pane cannot hold as they are: it turns U+2028 and U+2029 into line breaks
// and uses U+FDD0 and U+FDD1 for its own frames. In the pane each is held by a stand-in, the
// noncharacters U+FDD2 to U+FDD5, which nothing else produces; the pane's text is mapped back on
// the way out, so a file keeps them byte for byte.
#include <QString>
#include <QTextCharFormat>

QString toPaneText(QString text);
// The pane's text as it leaves the pane: every line break '\n', the stand-ins mapped back.
QString fromPaneText(QString text);
bool isHiddenStandIn(QChar c);
// How a stand-in of a hidden character is marked, coloured or not, long line or not.
QTextCharFormat hiddenCharacterFormat();

// Text with every kind of line break (CR LF, lone CR, LF, U+2028, U+2029) as the pane's one
// '\n', so a CR LF pair never turns into two lines and no stray CR is left in the document.
QString paneLineBreaks(QString text);

// Lines longer than this are not coloured (their state is still read): a format for every
// character of a megabyte line would cost more on each keystroke than the colour is worth. The
// pane measures and draws such lines in pieces of its own.
constexpr int LongLineLength = 20000;
