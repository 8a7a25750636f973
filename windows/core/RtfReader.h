#pragma once

#include <QString>

class QTextDocument;

// Reads rich text (RTF) into doc, replacing everything it held. rtf is already text: a help
// file's bytes are decoded as the ANSI code page before they get here, so only the \'hh escapes
// still carry code-page bytes. Never fails: whatever cannot be understood is left out, and broken
// or hostile input costs time and memory in proportion to its length.
void readRtf(const QString &rtf, QTextDocument &doc);
