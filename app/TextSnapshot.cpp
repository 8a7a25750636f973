#include "app/TextSnapshot.h"

#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

TextSnapshot::TextSnapshot(QTextDocument *document, QObject *parent)
    : QObject(parent), document_(document)
{
    connect(document, &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (running_ && (removed || added))
            start();  // what was copied so far may no longer be the text
    });
}

void TextSnapshot::start()
{
    if (!document_)
        return;
    running_ = true;
    next_ = 0;
    text_.clear();
    text_.reserve(document_->characterCount());
    QTimer::singleShot(0, this, &TextSnapshot::slice);
}

void TextSnapshot::cancel()
{
    running_ = false;
    text_.clear();
    text_.squeeze();
}

void TextSnapshot::slice()
{
    if (!running_ || !document_)
        return;
    QElapsedTimer timer;
    timer.start();
    // The last position is the document's own final paragraph end, not part of the text.
    const int end = document_->characterCount() - 1;
    QTextCursor cursor(document_);
    while (next_ < end) {
        const int to = std::min(end, next_ + ChunkChars);
        cursor.setPosition(next_);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        text_ += cursor.selectedText();
        next_ = to;
        if (next_ < end && timer.elapsed() >= SliceMs) {
            QTimer::singleShot(0, this, &TextSnapshot::slice);
            return;
        }
    }
    running_ = false;
    QString text = std::move(text_);
    text_ = QString();
    emit done(text);
}
