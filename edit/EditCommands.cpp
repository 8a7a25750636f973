// The Edit menu's clipboard and selection commands. They work on the editing pane's selection
// even while the pane is hidden, and reach the clipboard only through the platform seam.
#include "app/frmMain.h"
#include "app/platform/Platform.h"

namespace {

// The pane ends a line with one '\n'. Clipboard text from other programs ends lines with
// CR LF, LF or a lone CR (the same ends a file may have); each becomes one line break, so a
// CR LF pair never turns into two lines and no stray CR is left in the document.
QString PaneLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace

void frmMain::mnuCut_Click()
{
    if (txtHTML->SelLength() < 1)
        return;
    Platform().ClipboardSetText(txtHTML->SelText());
    txtHTML->SetSelText(QString());
}

void frmMain::mnuCopy_Click()
{
    if (txtHTML->SelLength() < 1)
        return;
    // SelText already gives '\n' line ends; the clipboard layer converts for the platform.
    Platform().ClipboardSetText(txtHTML->SelText());
}

void frmMain::mnuParst_Click()
{
    const QString text = Platform().ClipboardGetText();
    // Only the empty text is refused: a lone space or line break is pasted.
    if (text.isEmpty())
        return;
    txtHTML->SetSelText(PaneLineBreaks(text));
}

void frmMain::mnuDelete_Click()
{
    if (txtHTML->SelLength() > 0)
        txtHTML->SetSelText(QString());
}

void frmMain::mnuSelectAll_Click()
{
    // A hidden pane (browser priority) must not take the focus: keys would go into a pane
    // the user cannot see. The text is selected all the same.
    if (txtHTML->isVisibleTo(this))
        txtHTML->setFocus();
    txtHTML->SetSelStart(0);
    txtHTML->SetSelLength(txtHTML->TextLength());
}
