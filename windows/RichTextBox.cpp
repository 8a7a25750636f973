#include "windows/RichTextBox.h"

#include "windows/core/RtfReader.h"

RichTextBox::RichTextBox(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    // Read-only still lets the reader select and copy an example.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

QString RichTextBox::TextRTF() const
{
    return rtf_;
}

void RichTextBox::setTextRTF(const QString &rtf)
{
    rtf_ = rtf;
    readRtf(rtf, *document());
    moveCursor(QTextCursor::Start);
    ensureCursorVisible();
}
