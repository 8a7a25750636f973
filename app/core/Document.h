#pragma once
// The one document the editor holds: which file it belongs to, how that file is encoded and
// whether the pane holds changes the file lacks. The main window owns it and passes it to the
// commands; the caption follows its signals.
#include "app/core/DocumentCodec.h"
#include "app/core/FileIdentity.h"

#include <QObject>
#include <QString>
#include <optional>

class Document : public QObject {
    Q_OBJECT
public:
    // The display name of a document that has no file yet.
    static const QString UntitledName;

    explicit Document(QObject *parent = nullptr);

    // The pane holds changes that are not in the file.
    bool IsModified() const { return modified_; }
    void setModified(bool modified);

    // Exit is under way: closing asks instead of refusing.
    bool ExitRequested() const { return exitRequested_; }
    void setExitRequested(bool requested) { exitRequested_ = requested; }

    // Full path of the document's file; kept (never cleared) when New makes the document
    // untitled again.
    QString FilePath() const { return filePath_; }
    // Display name; UntitledName while the document has no file.
    QString FileTitle() const { return fileTitle_; }
    // "無題" and nothing else says that the document has no file yet: such a document is saved
    // through Save As.
    bool isUntitled() const { return fileTitle_ == UntitledName; }

    // The document now belongs to this file, which holds the pane's text in encoding.
    void setFile(const QString &path, const QString &title, TextEncoding encoding);
    // New: untitled, no encoding remembered; the path stays.
    void makeUntitled();
    // Text brought back after a crash: the document it belonged to, based on the version of
    // its file that was on disk then.
    void restore(const QString &path, const QString &title, std::optional<TextEncoding> encoding,
                 std::optional<FileIdentity> diskIdentity);

    // The version of the file on disk that the pane's text was last read from or written to;
    // nullopt when the document has no file or it was not there. setFile takes it from disk.
    std::optional<FileIdentity> diskIdentity() const { return diskIdentity_; }
    // The file on disk is another version than the one last read or written (a deleted file is
    // not: it is simply written again).
    bool changedOnDisk() const;
    // The user chose to keep the text as it is over the version now on disk: it is not offered
    // for reloading again, but saving still asks before replacing it.
    void declineDiskVersion() { declinedIdentity_ = identityOf(filePath_); }
    bool diskVersionDeclined() const;

    // The encoding the document's file is in: what it was read in, or last written in;
    // nullopt for a document that has never been read or written.
    std::optional<TextEncoding> encoding() const { return encoding_; }
    // Where the file spelled a character with a non-standard code of its encoding, kept in step
    // with the pane's text, so an unedited part is written back with the bytes it had.
    const SpellingRecord &spellings() const { return spellings_; }
    void setSpellings(SpellingRecord spellings) { spellings_ = std::move(spellings); }
    // How the file ends its lines, kept in step with the pane's text like the spellings.
    const LineEnds &fileLineEnds() const { return lineEnds_; }
    void setLineEnds(LineEnds lineEnds) { lineEnds_ = std::move(lineEnds); }
    // The encoding the page declared when it was last read or written: while it declares the
    // same, it is written in the encoding it was read in, even where the declaration lies.
    std::optional<TextEncoding> fileDeclaration() const { return declaration_; }
    void setFileDeclaration(std::optional<TextEncoding> declared) { declaration_ = declared; }
    // The pane's text changed at position: removed characters went, added came.
    void textChanged(int position, int removed, int added);

    // The main window's caption: "Tavro - name", with " *" while modified.
    QString caption() const;

signals:
    // The caption changed: the modified flag or the display name.
    void captionChanged(const QString &caption);
    void modifiedChanged(bool modified);

private:
    void announce();

    bool modified_ = false;
    bool exitRequested_ = false;
    QString filePath_;
    QString fileTitle_ = UntitledName;
    std::optional<TextEncoding> encoding_;
    SpellingRecord spellings_;
    LineEnds lineEnds_;
    std::optional<TextEncoding> declaration_;
    std::optional<FileIdentity> diskIdentity_;
    std::optional<FileIdentity> declinedIdentity_;
};
