#include "edit/core/CharacterChanges.h"

#include <QTextDocument>

CharacterChanges::CharacterChanges(QTextDocument *document) : QObject(document), document_(document)
{
    undoSteps_ = document->availableUndoSteps();
    redoSteps_ = document->availableRedoSteps();
    connect(document, &QTextDocument::contentsChange, this, &CharacterChanges::note);
}

const CharacterChanges *CharacterChanges::of(const QTextDocument *document)
{
    return document ? document->findChild<CharacterChanges *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void CharacterChanges::note(int from, int removed, int added)
{
    // An edit of the characters adds to the undo history or moves in it (a replacement of as
    // many characters too); a change of formats never does. Without a history (a new text
    // assigned), every change is one of the characters.
    const int undo = document_->availableUndoSteps(), redo = document_->availableRedoSteps();
    const bool stepped = undo != undoSteps_ || redo != redoSteps_;
    undoSteps_ = undo;
    redoSteps_ = redo;
    current_ = (removed || added) && (removed != added || stepped || !document_->isUndoRedoEnabled());
    if (current_)
        emit changed(from, removed, added);
}
