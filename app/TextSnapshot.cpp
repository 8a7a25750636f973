#include "app/TextSnapshot.h"

#include <QElapsedTimer>
#include <QTextBlock>
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
    // Block by block, not through a text cursor: placing a cursor inside a long line works out
    // its x by walking the line from its start. A line of many megabytes is one quick copy.
    for (QTextBlock block = document_->findBlock(next_); block.isValid(); block = block.next()) {
        if (block.position() > 0)
            text_ += QChar::ParagraphSeparator;
        text_ += block.text();
        next_ = block.position() + block.length();
        if (block.next().isValid() && timer.elapsed() >= SliceMs) {
            QTimer::singleShot(0, this, &TextSnapshot::slice);
            return;
        }
    }
    running_ = false;
    QString text = std::move(text_);
    text_ = QString();
    emit done(text);
}
