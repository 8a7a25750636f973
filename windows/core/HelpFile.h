#pragma once
// Plain helpers of the tag help window: its fixed tag list, the pane arithmetic and the way a
// help file's text is read.
#include <QByteArray>
#include <QString>
#include <QStringList>

// The 29 entries, in list order; entry n is shown by the file "n.rtf".
QStringList tagHelpEntries();

// Width of the list for an inner width w: a third of it, exact halves to the even neighbour.
// The help pane gets the rest, w - ListWidth.
qint32 helpListWidth(double innerWidth);

// A help file's text as the window reads it: Shift_JIS, each line (ended by CR LF or a lone CR)
// followed by CR LF, the last one included; an empty file gives an empty text.
QString helpTextFromBytes(const QByteArray &bytes);
