#pragma once
// A document reports a change of how a line is shown (an input method's composition and its
// underline, set on the line's layout) as a change of the whole line, with as many characters
// removed as added. This tells the two apart: only a change of the characters is an edit.
#include <QObject>

class QTextDocument;

class CharacterChanges : public QObject {
    Q_OBJECT
public:
    // Made before anything else listens to the document's changes, so that they can ask it.
    explicit CharacterChanges(QTextDocument *document);
    // The one made for document, if any.
    static const CharacterChanges *of(const QTextDocument *document);
    // Whether the change the document is reporting now changed its characters.
    bool current() const { return current_; }

signals:
    // Every change of the characters, before the document's later listeners hear of it.
    void changed(int from, int removed, int added);

private:
    void note(int from, int removed, int added);

    QTextDocument *document_;
    int undoSteps_ = 0;
    int redoSteps_ = 0;
    bool current_ = true;
};
