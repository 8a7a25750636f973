// Document files: moves the document between the editing pane and the file it belongs to.
// The document (its file, title and caption) changes only when a file was really loaded or
// written, so a cancelled or failed command leaves everything as it was.
#include "app/mdlIO.h"

#include "app/core/AppInfo.h"
#include "app/core/Document.h"
#include "app/DocumentCommands.h"
#include "app/FontSettings.h"
#include "app/core/SafeWrite.h"
#include "app/platform/CommonDialog.h"
#include "app/platform/Platform.h"
#include "edit/pane/TextBox.h"

#include <QDir>
#include <QFileInfo>

namespace {

void report(QWidget *window, const QString &message)
{
    platform().MsgBox(window, message, MsgStyle{MsgButtons::OK, MsgIcon::Exclamation}, AppTitle);
}

// noIsDefault where No is the safe answer.
bool agrees(QWidget *window, const QString &question, bool noIsDefault = false)
{
    const MsgStyle style{MsgButtons::YesNo, MsgIcon::Question, noIsDefault};
    return platform().MsgBox(window, question, style, AppTitle) == MsgAnswer::Yes;
}

// Reads and decodes the file at path into the pane; the document becomes that file. Failures
// are reported here and change nothing.
bool loadFile(DocumentContext &c, const QString &path, const QString &title)
{
    QByteArray bytes;
    QString error;
    if (!readFileFully(path, &bytes, &error)) {
        report(c.window, QStringLiteral("「%1」を開けませんでした。\n%2").arg(shownPath(path), error));
        return false;
    }
    DecodedDocument doc = decodeDocument(bytes);
    bytes = QByteArray();
    if (doc.hasNul) {
        report(c.window, QStringLiteral("「%1」は HTML のテキスト ファイルではないため、開けません。\n"
                                        "(NUL 文字が含まれています)")
                             .arg(shownPath(path)));
        return false;
    }
    c.pane.SetText(doc.text);
    c.doc.setFile(path, title, doc.encoding);
    // After SetText, whose change moved the old records.
    c.doc.setSpellings(std::move(doc.spellings));
    c.doc.setLineEnds(std::move(doc.lineEnds));
    c.doc.setFileDeclaration(doc.declared);
    if (doc.hadInvalidBytes)
        report(c.window, QStringLiteral("「%1」には %2 として読めないバイトが含まれています。\n"
                                        "それらは「\uFFFD」と表示され、保存するとこの文字に置き換えられます。")
                             .arg(shownPath(path), encodingName(doc.encoding)));
    return true;
}

// The bytes to store for text, in the encoding the page declares or the file already has.
// Characters that encoding cannot hold are never replaced without the user's consent: the
// user may store the page as UTF-8 instead, or write nothing (nullopt).
std::optional<EncodedDocument> encodeForFile(const DocumentContext &c, const QString &text,
                                             const QString &path, SaveResult *result)
{
    const QString name = QFileInfo(path).fileName();
    TextEncoding encoding = chooseWriteEncoding(text, c.doc.encoding(), c.doc.fileDeclaration());
    // The file's own spellings, only into the encoding they were read in; its line ends in any.
    EncodedDocument out = encodeDocument(text, encoding,
                                         encoding == c.doc.encoding() ? c.doc.spellings() : SpellingRecord(),
                                         c.doc.fileLineEnds());
    result->declared = declaredEncoding(text);
    if (out.unstorable && !storesEveryCharacter(encoding)) {
        // A page that declares Shift_JIS gets a byte-order mark: browsers trust it over the
        // declaration, so the page is still read as what it is.
        const bool declared = result->declared.has_value();
        const QString question = declared
            ? QStringLiteral("「%1」には %2 で保存できない文字が含まれています。\n"
                             "UTF-8 (BOM 付き) で保存しますか？\n"
                             "ページの文字コードの宣言 (%2) より BOM が優先されます。\n"
                             "「いいえ」を選ぶと保存しません。")
            : QStringLiteral("「%1」には %2 で保存できない文字が含まれています。\n"
                             "UTF-8 で保存しますか？\n"
                             "「いいえ」を選ぶと保存しません。");
        if (!agrees(c.window, question.arg(name, encodingName(encoding))))
            return std::nullopt;
        encoding = declared ? TextEncoding::Utf8Bom : TextEncoding::Utf8;
        out = encodeDocument(text, encoding, {}, c.doc.fileLineEnds());
    }
    if (out.unstorable) {
        // Only unpaired surrogates are left: no encoding has bytes for them.
        const QString question =
            QStringLiteral("「%1」には保存できない文字 (対になっていないサロゲート) が含まれています。\n"
                           "それらを「\uFFFD」に置き換えて保存しますか？\n"
                           "「いいえ」を選ぶと保存しません。");
        if (!agrees(c.window, question.arg(name, encodingName(encoding))))
            return std::nullopt;
    }
    result->encoding = encoding;
    return out;
}

// Writes the pane's text to path. A file whose mode forbids writing is replaced only when the
// user agrees; it keeps its mode.
SaveResult writeDocument(const DocumentContext &c, const QString &path)
{
    SaveResult result;
    const std::optional<EncodedDocument> encoded =
        encodeForFile(c, c.pane.Text(), path, &result);
    if (!encoded)
        return result;  // the user chose not to write
    WriteResult written = writeFileSafely(path, encoded->bytes);
    if (written.status == WriteResult::Status::ReadOnlyFile) {
        if (!agrees(c.window, written.reason + QStringLiteral("\n上書きしますか？"), true))
            return result;
        written = writeFileSafely(path, encoded->bytes, {.allowReadOnly = true});
    }
    if (!written.written()) {
        result.outcome = SaveOutcome::Failed;
        result.reason = written.reason;
        report(c.window, QStringLiteral("「%1」を保存できませんでした。\n%2").arg(shownPath(path), written.reason));
        return result;
    }
    result.outcome = SaveOutcome::Written;
    return result;
}

// The end of every save: a written file makes the document unmodified and rewrites the
// settings file; anything else leaves the document modified, and the program never quits
// over unsaved text.
SaveResult finish(DocumentContext &c, SaveResult result, const QString &path,
                  const QString &title)
{
    if (!result.written()) {
        c.doc.setExitRequested(false);
        return result;
    }
    c.doc.setFile(path, title, result.encoding);
    c.doc.setFileDeclaration(result.declared);
    // The settings file reports its own failure; as with any failed write, a pending exit
    // is withdrawn and the program stays open.
    result.settingsWritten = c.font.SaveFontSettings(c.window);
    if (!result.settingsWritten)
        c.doc.setExitRequested(false);
    c.doc.setModified(false);
    return result;
}

} // namespace

namespace mdlIO {

bool OpenDocument(DocumentContext &c)
{
    if (!c.dialog.ShowOpen())
        return false;
    return loadFile(c, c.dialog.FileName, c.dialog.FileTitle);
}

bool openFile(DocumentContext &c, const QString &path)
{
    const QFileInfo file(path);
    return loadFile(c, file.absoluteFilePath(), file.fileName());
}

bool reloadDocument(DocumentContext &c)
{
    if (!loadFile(c, c.doc.FilePath(), c.doc.FileTitle()))
        return false;
    c.doc.setModified(false);
    return true;
}

SaveResult SaveDocumentAs(DocumentContext &c)
{
    QString path;
    for (;;) {
        if (!c.dialog.ShowSave())
            return finish(c, SaveResult{}, path, QString());
        // A name chosen as .htm is stored as .html; the caption keeps the chosen name.
        path = c.dialog.FileName;
        if (path.endsWith(QStringLiteral(".htm"), Qt::CaseSensitive))
            path += QLatin1Char('l');
        const QFileInfo target(path);
        if (!target.exists() || target.isDir())
            break;
        // Ask about the file that will really be replaced; No lets the user choose again.
        if (agrees(c.window, QStringLiteral("「%1」は既に存在します。\n置き換えますか？").arg(target.fileName())))
            break;
    }
    return finish(c, writeDocument(c, path), path, c.dialog.FileTitle);
}

SaveResult SaveDocument(DocumentContext &c)
{
    if (c.doc.isUntitled())
        return SaveDocumentAs(c);
    // Another program (or another editor) wrote the file since it was read or saved here: its
    // version is kept unless the user says otherwise.
    if (c.doc.changedOnDisk()
        && !agrees(c.window,
                   QStringLiteral("「%1」は、読み込んだ後にほかのプログラムによって変更されています。\n"
                                  "上書きしますか？\n"
                                  "「いいえ」を選ぶと保存せず、ディスク上のファイルをそのまま残します。")
                       .arg(shownPath(c.doc.FilePath())),
                   true))
        return finish(c, SaveResult{}, QString(), QString());
    return finish(c, writeDocument(c, c.doc.FilePath()), c.doc.FilePath(), c.doc.FileTitle());
}

} // namespace mdlIO
