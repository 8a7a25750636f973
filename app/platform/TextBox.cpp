#include "app/platform/TextBox.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed || added)
            emit Change();
    });
}

QString TextBox::Text() const
{
    // toPlainText() would also turn no-break spaces into plain ones; the text must stay as typed.
    return PaneLineBreaks(document()->toRawText());
}

void TextBox::SetText(const QString &text)
{
    // One assignment, as a fresh undo history: undo must not bring back another file.
    setPlainText(text);
}

int TextBox::SelStart() const
{
    return textCursor().selectionStart();
}

int TextBox::SelLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

QString TextBox::SelText() const
{
    // QTextCursor gives paragraph separators; the pane's text uses '\n'.
    return PaneLineBreaks(textCursor().selectedText());
}

int TextBox::TextLength() const
{
    return qMax(0, document()->characterCount() - 1);
}

void TextBox::SetSelStart(int start)
{
    QTextCursor c = textCursor();
    c.setPosition(qBound(0, start, TextLength()));
    setTextCursor(c);
}

void TextBox::SetSelLength(int length)
{
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(qBound(start, start + qMax(0, length), TextLength()), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void TextBox::SetSelText(const QString &text)
{
    QTextCursor c = textCursor();
    // insertText turns '\n' into paragraph breaks, so pasted line breaks stay line breaks.
    c.insertText(text);
    setTextCursor(c);
}

QString PaneLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}
