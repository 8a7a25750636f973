#include "app/mdlIO.h"

// ---- PLACEHOLDER (preview work): a bare UTF-8 save so the preview can be built and tested.
// ---- The real document file code replaces everything in this block; keep LastSaveWroteFile
// ---- and LastWrittenEncodingName with the same meaning.
#include "app/SharedState.h"
#include "app/frmMain.h"
#include "view/MDL.h"

#include <QSaveFile>

namespace {
bool g_lastSaveWroteFile = false;

bool WriteDocument()
{
    QString text = MainForm().txtHTML->Text();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    text += QStringLiteral("\r\n");
    QSaveFile file(FilePath);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit();
}
}

namespace mdlIO {
void OpenDocument() {}

void SaveDocumentAs()
{
    g_lastSaveWroteFile = false;
    CommonDialog &cmd = MainForm().cmd;
    cmd.Flags = 0x1804;
    if (!cmd.ShowSave()) {
        ExitRequested = false;
        return;
    }
    FilePath = cmd.FileName;
    FileTitle = cmd.FileTitle;
    if (FilePath.endsWith(QStringLiteral(".htm")))
        FilePath += QLatin1Char('l');
    if (!WriteDocument()) {
        ExitRequested = false;
        return;
    }
    g_lastSaveWroteFile = true;
    SaveFontSettings();
    MDL::UpdateCaption(0);
}

void SaveDocument()
{
    if (FileTitle == UntitledName) {
        SaveDocumentAs();
        MDL::UpdateCaption(0);
        return;
    }
    g_lastSaveWroteFile = WriteDocument();
    if (g_lastSaveWroteFile) {
        SaveFontSettings();
        MDL::UpdateCaption(0);
    }
}

bool LastSaveWroteFile() { return g_lastSaveWroteFile; }
QString LastWrittenEncodingName() { return QStringLiteral("utf-8"); }
}
// ---- end of PLACEHOLDER
