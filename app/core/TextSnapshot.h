#pragma once
// Takes a copy of a text document's plain text a slice at a time, so that copying a big
// document never holds up the window for long. An edit during the copy has the copy go on from
// the edited line.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QTextDocument;

class TextSnapshot : public QObject {
    Q_OBJECT
public:
    explicit TextSnapshot(QTextDocument *document, QObject *parent = nullptr);

    // Starts (or restarts) a copy; done() follows from the event loop.
    void start();
    void cancel();
    bool running() const { return running_; }

    // How long one slice may take, in milliseconds (it looks at the clock after each line).
    static constexpr int SliceMs = 5;

signals:
    // The text as the document holds it, paragraphs separated by U+2029.
    void done(const QString &text);

private:
    void slice();

    QPointer<QTextDocument> document_;
    int next_ = 0;  // the position of the next line to copy
    QString text_;
    bool running_ = false;
    // The next slice: one at a time, however often the copy starts again.
    QTimer sliceTimer_;
};
