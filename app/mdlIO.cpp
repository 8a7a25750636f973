// Document files: moves the document between the editing pane and the file it belongs to.
// The shared document state (FilePath, FileTitle, the caption) changes only when a file was
// really loaded or written, so a cancelled or failed command leaves everything as it was.
#include "app/mdlIO.h"

#include "app/SafeWrite.h"
#include "app/SharedState.h"
#include "app/frmMain.h"
#include "app/platform/Platform.h"
#include "view/MDL.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString g_readBuffer;  // the file's text while an open is under way
std::optional<TextEncoding> g_documentEncoding;
SpellingRecord g_documentSpellings; // non-standard codes the file used, kept in step with edits
bool g_lastSaveWroteFile = false;
TextEncoding g_lastWrittenEncoding = TextEncoding::ShiftJis;

QString Shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void Report(const QString &message)
{
    Platform().MsgBox(&MainForm(), message, vb::OKOnly | vb::Exclamation, AppTitle);
}

bool Agrees(const QString &question)
{
    return Platform().MsgBox(&MainForm(), question, vb::YesNo | vb::Question, AppTitle) == vb::Yes;
}

// The bytes to store for text, in the encoding the page declares or the file already has.
// Characters that encoding cannot hold are never replaced without the user's consent: the
// user may store the page as UTF-8 instead, or write nothing (nullopt).
std::optional<EncodedDocument> EncodeForFile(const QString &text, const QString &path,
                                             TextEncoding *used)
{
    const QString name = QFileInfo(path).fileName();
    TextEncoding encoding = ChooseWriteEncoding(text, g_documentEncoding);
    // The file's own spellings, only into the encoding they were read in.
    EncodedDocument out = EncodeDocument(text, encoding, encoding == g_documentEncoding
                                                             ? g_documentSpellings : SpellingRecord());
    if (out.unstorable && !StoresEveryCharacter(encoding)) {
        // A page that declares Shift_JIS gets a byte-order mark: browsers trust it over the
        // declaration, so the page is still read as what it is.
        const bool declared = DeclaredEncoding(text).has_value();
        const QString question = declared
            ? QStringLiteral("「%1」には %2 で保存できない文字が含まれています。\n"
                             "UTF-8 (BOM 付き) で保存しますか？\n"
                             "ページの文字コードの宣言 (%2) より BOM が優先されます。\n"
                             "「いいえ」を選ぶと保存しません。")
            : QStringLiteral("「%1」には %2 で保存できない文字が含まれています。\n"
                             "UTF-8 で保存しますか？\n"
                             "「いいえ」を選ぶと保存しません。");
        if (!Agrees(question.arg(name, EncodingName(encoding))))
            return std::nullopt;
        encoding = declared ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
        out = EncodeDocument(text, encoding);
    }
    if (out.unstorable) {
        // Only unpaired surrogates are left: no encoding has bytes for them.
        const QString question =
            QStringLiteral("「%1」には保存できない文字 (対になっていないサロゲート) が含まれています。\n"
                           "それらを「\uFFFD」に置き換えて保存しますか？\n"
                           "「いいえ」を選ぶと保存しません。");
        if (!Agrees(question.arg(name)))
            return std::nullopt;
    }
    *used = encoding;
    return out;
}

// Writes the pane's text to path; on success the document's file is in the encoding written.
bool WriteDocument(const QString &path)
{
    TextEncoding encoding = TextEncoding::ShiftJis;
    const std::optional<EncodedDocument> encoded =
        EncodeForFile(MainForm().txtHTML->Text(), path, &encoding);
    if (!encoded)
        return false;
    QString error;
    if (!WriteFileSafely(path, encoded->bytes, &error)) {
        Report(QStringLiteral("「%1」を保存できませんでした。\n%2").arg(Shown(path), error));
        return false;
    }
    g_documentEncoding = encoding;
    g_lastWrittenEncoding = encoding;
    return true;
}

// The end of every save that wrote the document's file.
bool Saved()
{
    g_lastSaveWroteFile = true;
    // The settings file reports its own failure; as with any failed write, a pending exit
    // is withdrawn and the program stays open.
    if (!mdlIO::SaveFontSettings())
        ExitRequested = false;
    MDL::UpdateCaption(0);
    return true;
}

// The end of every save that did not write (cancelled or failed): the document stays
// modified, and the program never quits over unsaved text.
bool NotSaved()
{
    ExitRequested = false;
    return false;
}

} // namespace

namespace mdlIO {

bool OpenDocument()
{
    g_readBuffer.clear();
    CommonDialog &cmd = MainForm().cmd;
    if (!cmd.ShowOpen())
        return false;
    const QString path = cmd.FileName;
    const QString title = cmd.FileTitle;

    QByteArray bytes;
    QString error;
    if (!ReadFileFully(path, &bytes, &error)) {
        Report(QStringLiteral("「%1」を開けませんでした。\n%2").arg(Shown(path), error));
        return false;
    }
    DecodedDocument doc = DecodeDocument(bytes);
    bytes = QByteArray();
    if (doc.hasNul) {
        Report(QStringLiteral("「%1」は HTML のテキスト ファイルではないため、開けません。\n"
                              "(NUL 文字が含まれています)")
                   .arg(Shown(path)));
        return false;
    }
    g_readBuffer = std::move(doc.text);
    FilePath = path;
    FileTitle = title;
    g_documentEncoding = doc.encoding;
    MainForm().txtHTML->SetText(g_readBuffer);
    g_documentSpellings = std::move(doc.spellings); // after SetText, whose change clears them
    g_readBuffer.clear();
    if (doc.hadInvalidBytes)
        Report(QStringLiteral("「%1」には %2 として読めないバイトが含まれています。\n"
                              "それらは「\uFFFD」と表示され、保存するとこの文字に置き換えられます。")
                   .arg(Shown(path), EncodingName(doc.encoding)));
    return true;
}

bool SaveDocumentAs()
{
    g_lastSaveWroteFile = false;
    CommonDialog &cmd = MainForm().cmd;
    cmd.Flags = cdl::OFN_FILEMUSTEXIST | cdl::OFN_PATHMUSTEXIST | cdl::OFN_HIDEREADONLY;
    QString path;
    for (;;) {
        if (!cmd.ShowSave())
            return NotSaved();
        // A name chosen as .htm is stored as .html; the caption keeps the chosen name.
        path = cmd.FileName;
        if (path.endsWith(QStringLiteral(".htm"), Qt::CaseSensitive))
            path += QLatin1Char('l');
        const QFileInfo target(path);
        if (!target.exists() || target.isDir())
            break;
        // Ask about the file that will really be replaced; No lets the user choose again.
        if (Agrees(QStringLiteral("「%1」は既に存在します。\n置き換えますか？").arg(target.fileName())))
            break;
    }
    if (!WriteDocument(path))
        return NotSaved();
    FilePath = path;
    FileTitle = cmd.FileTitle;
    return Saved();
}

bool SaveDocument()
{
    // "無題" and nothing else says that the document has no file yet.
    if (FileTitle == UntitledName)
        return SaveDocumentAs();
    g_lastSaveWroteFile = false;
    if (!WriteDocument(FilePath))
        return NotSaved();
    return Saved();
}

std::optional<TextEncoding> DocumentEncoding()
{
    return g_documentEncoding;
}

void ResetDocumentEncoding()
{
    g_documentEncoding.reset();
    g_documentSpellings.clear();
}

void DocumentTextChanged(int position, int removed, int added)
{
    ShiftSpellings(g_documentSpellings, position, removed, added);
}

bool LastSaveWroteFile()
{
    return g_lastSaveWroteFile;
}

QString LastWrittenEncodingName()
{
    return EncodingLabel(g_lastWrittenEncoding);
}

} // namespace mdlIO
