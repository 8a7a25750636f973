#pragma once
// The one document the editor holds: which file it belongs to, how that file is encoded,
// whether the pane holds changes the file lacks, and how the window shows it. The main window
// owns it and passes it to the commands; the caption follows its signals.
#include "app/DocumentCodec.h"

#include <QObject>
#include <QString>
#include <optional>

// How the window shares itself between the two panes.
enum class ViewMode { Normal, TextPriority, BrowserPriority };

class Document : public QObject {
    Q_OBJECT
public:
    // The display name of a document that has no file yet.
    static const QString UntitledName;

    explicit Document(QObject *parent = nullptr);

    // The pane holds changes that are not in the file.
    bool IsModified() const { return modified_; }
    void SetModified(bool modified);

    // Exit is under way: closing asks instead of refusing.
    bool ExitRequested() const { return exitRequested_; }
    void SetExitRequested(bool requested) { exitRequested_ = requested; }

    // Full path of the document's file; kept (never cleared) when New makes the document
    // untitled again.
    QString FilePath() const { return filePath_; }
    // Display name; UntitledName while the document has no file.
    QString FileTitle() const { return fileTitle_; }
    // "無題" and nothing else says that the document has no file yet: such a document is saved
    // through Save As.
    bool IsUntitled() const { return fileTitle_ == UntitledName; }

    // The document now belongs to this file, which holds the pane's text in encoding.
    void SetFile(const QString &path, const QString &title, TextEncoding encoding);
    // New: untitled, no encoding remembered; the path stays.
    void MakeUntitled();

    // The encoding the document's file is in: what it was read in, or last written in;
    // nullopt for a document that has never been read or written.
    std::optional<TextEncoding> Encoding() const { return encoding_; }

    // The main window's caption: "Tavro - name", with " *" while modified.
    QString Caption() const;

    ViewMode viewMode() const { return viewMode_; }
    void setViewMode(ViewMode mode) { viewMode_ = mode; }

signals:
    // The caption changed: the modified flag or the display name.
    void captionChanged(const QString &caption);

private:
    void announce();

    bool modified_ = false;
    bool exitRequested_ = false;
    QString filePath_;
    QString fileTitle_ = UntitledName;
    std::optional<TextEncoding> encoding_;
    ViewMode viewMode_ = ViewMode::Normal;
};
