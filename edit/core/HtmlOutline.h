#pragma once
// The tags of a piece of HTML and how they nest, read as a browser builds its tree: void elements
// hold nothing, a start tag can end an open element whose end tag may be left out (an <li> the
// previous <li>), and an end tag closes what is open inside its element. Read with the colouring's
// scanner, so comments, quoted values, <script> and <style> are skipped as the colours show them.
#include "edit/core/HtmlScanner.h"

#include <QList>
#include <QString>
#include <QStringView>

class HtmlVocabulary;

struct HtmlTagRef {
    int start = 0;
    int end = -1;        // after its '>'; -1 while the tag is not closed
    QString name;        // as written
    QString key;         // the name in lower case, as the names of HTML are kept
    bool closing = false;   // </name>
    bool selfClosing = false;  // ends in "/>"
};

// The scanner's spans of text, from its state startState at its start, at offsets into text;
// its state at the end in *endState.
QList<HtmlSpan> scanHtmlText(QStringView text, int startState, int *endState = nullptr);

// The tags among those spans.
QList<HtmlTagRef> htmlTagsOf(QStringView text, const QList<HtmlSpan> &spans);
QList<HtmlTagRef> readHtmlTags(QStringView text, int startState);

struct HtmlNesting {
    QList<int> open;     // start tags still open after the walk, outermost first
    QList<int> partner;  // for each tag, the tag that ends or opens its element; -1 if none
};

// Walks tags[0, count) (all when count < 0). An element more than MaxDepth levels down is not
// looked for: real pages nest far less, and a hostile one cannot make the walk take long.
constexpr int MaxDepth = 256;
HtmlNesting nestHtmlTags(const QList<HtmlTagRef> &tags, const HtmlVocabulary &names, int count = -1);

// The tag in which position lies, from just before its '<' to just after its '>'; one that
// starts there wins over one that ends there. -1 when there is none.
int htmlTagAt(const QList<HtmlTagRef> &tags, int position);
