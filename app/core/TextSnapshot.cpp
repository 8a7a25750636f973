#include "app/core/TextSnapshot.h"

#include "edit/core/CharacterChanges.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

TextSnapshot::TextSnapshot(QTextDocument *document, QObject *parent)
    : QObject(parent), document_(document)
{
    sliceTimer_.setSingleShot(true);
    sliceTimer_.setInterval(0);
    connect(&sliceTimer_, &QTimer::timeout, this, &TextSnapshot::slice);
    connect(document, &QTextDocument::contentsChange, this, [this](int from, int removed, int added) {
        if (!running_ || (!removed && !added) || from >= next_ || !document_)
            return;
        // A composition shown in a line (an input method's) changes none of its characters.
        if (const CharacterChanges *changes = CharacterChanges::of(document_); changes && !changes->current())
            return;
        // The copy holds the text up to next_ position for position (a line break is one
        // character in both): what lies before the changed line stays, the rest is copied again.
        // Starting the whole copy again on every keystroke would never finish while one types.
        const QTextBlock changed = document_->findBlock(from);
        next_ = changed.isValid() ? changed.position() : 0;
        text_.truncate(std::max(0, next_ - 1));
        if (next_ == 0)
            text_.clear();
    });
}

void TextSnapshot::start()
{
    if (!document_)
        return;
    running_ = true;
    next_ = 0;
    text_.clear();
    sliceTimer_.start();
}

void TextSnapshot::cancel()
{
    running_ = false;
    sliceTimer_.stop();
    text_.clear();
    text_.squeeze();
}

void TextSnapshot::slice()
{
    if (!running_ || !document_)
        return;
    QElapsedTimer timer;
    timer.start();
    if (next_ == 0)
        text_.reserve(document_->characterCount());
    // Block by block, not through a text cursor: placing a cursor inside a long line works out
    // its x by walking the line from its start. A line of many megabytes is one quick copy.
    for (QTextBlock block = document_->findBlock(next_); block.isValid(); block = block.next()) {
        if (block.position() > 0)
            text_ += QChar::ParagraphSeparator;
        text_ += block.text();
        next_ = block.position() + block.length();
        if (block.next().isValid() && timer.elapsed() >= SliceMs) {
            sliceTimer_.start();
            return;
        }
    }
    running_ = false;
    QString text = std::move(text_);
    text_ = QString();
    emit done(text);
}
