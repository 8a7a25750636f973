// The File menu's commands and the main window's close handling. A Yes whose save does not
// write the file stops the command that asked, so answering Yes never loses the text the user
// wanted kept.
#include "app/DocumentCommands.h"

#include "app/core/AppInfo.h"
#include "app/core/Document.h"
#include "app/core/Recovery.h"
#include "app/mdlIO.h"
#include "app/platform/Platform.h"
#include "edit/pane/TextBox.h"

#include <QDir>

namespace {

const QString SaveChangesQuestion = QStringLiteral("変更を保存しますか？");
const QString SaveBeforeOpenQuestion = QStringLiteral("保存してよろしいですか？");

MsgAnswer ask(const DocumentContext &c, const QString &question)
{
    return platform().MsgBox(c.window, question, MsgStyle{MsgButtons::YesNoCancel, MsgIcon::Question}, AppTitle);
}

// Asks about unsaved changes; Yes runs save. True when the command may go on.
template <typename Save>
bool goOnAfterAsking(const DocumentContext &c, const QString &question, Save save)
{
    switch (ask(c, question)) {
    case MsgAnswer::Yes: return save().written();
    case MsgAnswer::No: return true;
    default: return false;
    }
}

// Open and the files handed over: unsaved changes are asked about first (Yes always goes
// through the save dialog, also for a document that has a file); nothing loaded leaves the
// document as it was.
template <typename Load>
void openAfterAsking(DocumentContext &c, Load load)
{
    if (c.doc.IsModified()
        && !goOnAfterAsking(c, SaveBeforeOpenQuestion, [&c] { return mdlIO::SaveDocumentAs(c); }))
        return;
    if (load())
        c.doc.setModified(false);
}

// Twelve lines; the title element holds one empty line and nothing is filled in.
const QString NewDocumentSkeleton = QStringLiteral(
    "<html>\n<head>\n<title>\n\n</title>\n</head>\n<body>\n\n\n\n</body>\n</html>");

} // namespace

namespace DocumentCommands {

void newDocument(DocumentContext &c)
{
    if (c.doc.IsModified()
        && !goOnAfterAsking(c, SaveChangesQuestion, [&c] { return mdlIO::SaveDocument(c); }))
        return;
    c.pane.SetText(NewDocumentSkeleton);
    c.doc.makeUntitled();  // the path stays the previous document's
    c.doc.setModified(false);
}

void open(DocumentContext &c)
{
    openAfterAsking(c, [&c] { return mdlIO::OpenDocument(c); });
}

void openFile(DocumentContext &c, const QString &path)
{
    openAfterAsking(c, [&c, &path] { return mdlIO::openFile(c, path); });
}

void save(DocumentContext &c) { mdlIO::SaveDocument(c); }
void saveAs(DocumentContext &c) { mdlIO::SaveDocumentAs(c); }

void exitProgram(DocumentContext &c)
{
    c.doc.setExitRequested(true);
    refuseClose(c);
}

bool refuseClose(DocumentContext &c)
{
    if (c.doc.IsModified()) {
        // Without Exit the close box refuses silently while there are unsaved changes.
        if (!c.doc.ExitRequested())
            return true;
        switch (ask(c, SaveChangesQuestion)) {
        case MsgAnswer::Yes: {
            // The text is still only here; a settings file that failed withdrew the exit too.
            const SaveResult saved = mdlIO::SaveDocument(c);
            if (!saved.written() || !saved.settingsWritten)
                return true;
            break;
        }
        case MsgAnswer::No:
            break;
        default:
            return true;
        }
    }
    platform().endProgram();
    return false;
}

void offerReload(DocumentContext &c)
{
    if (c.doc.IsModified() || !c.doc.changedOnDisk() || c.doc.diskVersionDeclined())
        return;
    const QString question =
        QStringLiteral("「%1」はほかのプログラムによって変更されました。\n読み込み直しますか？")
            .arg(QDir::toNativeSeparators(c.doc.FilePath()));
    if (platform().MsgBox(c.window, question, MsgStyle{MsgButtons::YesNo, MsgIcon::Question}, AppTitle) != MsgAnswer::Yes
        || !mdlIO::reloadDocument(c))
        c.doc.declineDiskVersion();
}

void offerRecovery(DocumentContext &c, RecoveryStore &store)
{
    std::optional<RecoveryStore::Orphan> orphan = store.takeOrphan();
    if (!orphan)
        return;
    const RecoveredDocument &doc = orphan->doc;
    const QString question =
        QStringLiteral("%1 が前回正常に終了しなかったため、保存されていない「%2」の内容が残っています。\n"
                       "復元しますか？\n「いいえ」を選ぶと、残っていた内容は削除されます。")
            .arg(AppTitle, doc.title);
    if (platform().MsgBox(c.window, question, MsgStyle{MsgButtons::YesNo, MsgIcon::Question}, AppTitle) == MsgAnswer::Yes) {
        c.pane.SetText(doc.text);
        c.doc.restore(doc.path, doc.title, doc.encoding, doc.diskIdentity);
        // What the text says and how the file ended its lines, so a save keeps the file's
        // encoding and breaks (one that ended without a break gets one).
        c.doc.setFileDeclaration(declaredEncoding(doc.text));
        LineEnds ends;
        ends.style = doc.lineBreak;
        c.doc.setLineEnds(ends);
        c.doc.setModified(true);
        // This editor keeps the text from now on, before the old file goes.
        store.keep(doc);
        store.flush();
    }
    RecoveryStore::remove(*orphan);
}

} // namespace DocumentCommands
