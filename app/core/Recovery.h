#pragma once
// Crash recovery: the unsaved text of this running editor is kept in a file of its own in the
// per-user state folder, so that a later start can offer it back after the program was killed,
// crashed or lost power. Each running editor holds a lock on its file; files whose lock nobody
// holds belong to editors that ended abnormally.
#include "app/core/DocumentCodec.h"
#include "app/core/FileIdentity.h"

#include <QLockFile>
#include <QMutex>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <optional>

// What a recovery file holds: the text and the document it belonged to.
struct RecoveredDocument {
    QString text;
    QString path;   // the document's file; may be empty for a document never saved
    QString title;  // the display name
    std::optional<TextEncoding> encoding;
    std::optional<FileIdentity> diskIdentity;  // the version of the file the text was based on
    LineBreak lineBreak = LineBreak::CrLf;     // how the file ends its lines
};

// convert, when given, turns doc.text into the document's text (see setTextConverter).
QByteArray formatRecovery(const RecoveredDocument &doc,
                          const std::function<QString(QString)> &convert = {});
std::optional<RecoveredDocument> parseRecovery(const QByteArray &bytes);

class RecoveryStore {
public:
    // folder: where recovery files live; by default ~/.local/state/tavro (XDG_STATE_HOME).
    explicit RecoveryStore(QString folder = defaultFolder());
    ~RecoveryStore();  // waits for a write under way; the file stays (see discard())

    static QString defaultFolder();
    QString fileName() const { return file_; }

    // Turns the text given to keep() into the document's text, on the worker thread (for example
    // the editing pane's paragraph separators into line breaks). Must be safe to call there,
    // and local: it is given the text a piece at a time (never splitting a CR LF).
    void setTextConverter(std::function<QString(QString)> convert) { convert_ = std::move(convert); }

    // Keeps doc in this editor's recovery file. The file is written on a worker thread; a newer
    // keep() supersedes one that has not started yet.
    void keep(RecoveredDocument doc);
    // The text no longer needs keeping (saved, discarded, or the program ends normally).
    void discard();
    // Waits until the last keep() is on disk.
    void flush();

    // The recovery files of editors that ended abnormally, newest first. Taking one locks it,
    // so no other starting editor offers it at the same time.
    struct Orphan {
        QString file;
        RecoveredDocument doc;
        std::shared_ptr<QLockFile> lock;
    };
    std::optional<Orphan> takeOrphan();
    // Deletes an orphan's file and lock.
    static void remove(Orphan &orphan);

private:
    bool ensureOwnFile();

    QString folder_;
    QString file_;
    std::unique_ptr<QLockFile> lock_;
    QThreadPool writer_;
    QMutex mutex_;
    std::optional<RecoveredDocument> pending_;  // the newest text not yet written
    bool discarded_ = true;
    std::function<QString(QString)> convert_;
};
