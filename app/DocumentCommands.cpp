// The File menu's commands and the main window's close handling: they ask about unsaved
// changes and leave the file work to mdlIO. A Yes whose save does not complete stops the
// command that asked, so answering Yes never loses the text the user wanted kept.
#include "app/SharedState.h"
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "app/platform/Platform.h"
#include "view/MDL.h"

namespace {

const QString SaveChangesQuestion = QStringLiteral("変更を保存しますか？");
const QString SaveBeforeOpenQuestion = QStringLiteral("保存してよろしいですか？");

int Ask(const QString &question)
{
    return Platform().MsgBox(&MainForm(), question, vb::YesNoCancel | vb::Question, AppTitle);
}

// Asks about unsaved changes; Yes runs save, which tells whether the text reached its file.
// True when the command may go on.
template <typename Save>
bool GoOnAfterAsking(const QString &question, Save save)
{
    switch (Ask(question)) {
    case vb::Yes: return save();
    case vb::No: return true;
    default: return false;
    }
}

// Twelve lines; the title element holds one empty line and nothing is filled in.
const QString NewDocumentSkeleton = QStringLiteral(
    "<html>\n<head>\n<title>\n\n</title>\n</head>\n<body>\n\n\n\n</body>\n</html>");

} // namespace

void frmMain::mnuNew_Click()
{
    if (IsModified && !GoOnAfterAsking(SaveChangesQuestion, [this] {
            mnuSave_Click();
            return mdlIO::LastSaveWroteFile();
        }))
        return;
    txtHTML->SetText(QString());
    txtHTML->SetText(NewDocumentSkeleton);
    FileTitle = UntitledName;  // FilePath keeps the previous document's path
    mdlIO::ResetDocumentEncoding();
    MDL::UpdateCaption(0);
}

void frmMain::mnuOpen_Click()
{
    // Yes always goes through the save dialog, also for a document that has a file.
    if (IsModified && !GoOnAfterAsking(SaveBeforeOpenQuestion, [] { return mdlIO::SaveDocumentAs(); }))
        return;
    const bool wasModified = IsModified;
    IsModified = false;
    if (mdlIO::OpenDocument())
        MDL::UpdateCaption(0);
    else
        MDL::UpdateCaption(wasModified ? 1 : 0);  // nothing loaded: as it was before
}

void frmMain::mnuSave_Click() { mdlIO::SaveDocument(); }
void frmMain::mnuSaveAll_Click() { mdlIO::SaveDocumentAs(); }

void frmMain::mnuExit_Click()
{
    ExitRequested = true;
    bool cancel = false;
    Form_Unload(cancel);
}

void frmMain::Form_Unload(bool &cancel)
{
    cancel = false;
    if (IsModified) {
        // Without Exit the close box refuses silently while there are unsaved changes.
        if (!ExitRequested) {
            cancel = true;
            return;
        }
        switch (Ask(SaveChangesQuestion)) {
        case vb::Yes:
            mnuSave_Click();
            // A save that did not complete withdrew the exit: the text is still only here.
            if (!ExitRequested || IsModified) {
                cancel = true;
                return;
            }
            break;
        case vb::No:
            break;
        default:
            cancel = true;
            return;
        }
    }
    Platform().EndProgram();
}
