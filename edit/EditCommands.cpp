#include "edit/EditCommands.h"

#include "app/platform/Platform.h"
#include "edit/pane/TextBox.h"
#include "edit/EditorSettings.h"
#include "edit/core/PaneText.h"
#include "edit/FindBar.h"
#include "edit/TagAssist.h"

namespace EditCommands {

void Cut(TextBox &pane)
{
    if (pane.SelLength() < 1)
        return;
    platform().clipboardSetText(pane.SelText());
    pane.SetSelText(QString());
}

void Copy(TextBox &pane)
{
    if (pane.SelLength() < 1)
        return;
    // SelText already gives '\n' line ends; the clipboard layer converts for the platform.
    platform().clipboardSetText(pane.SelText());
}

void Paste(TextBox &pane)
{
    const QString text = platform().clipboardGetText();
    // Only the empty text is refused: a lone space or line break is pasted.
    if (text.isEmpty())
        return;
    // Clipboard text from other programs ends lines with CR LF, LF or a lone CR (the same ends
    // a file may have); each becomes one line break of the pane.
    pane.SetSelText(paneLineBreaks(text));
}

void Delete(TextBox &pane)
{
    if (pane.SelLength() > 0)
        pane.SetSelText(QString());
}

void SelectAll(TextBox &pane)
{
    // A hidden pane (browser priority) must not take the focus: keys would go into a pane
    // the user cannot see. The text is selected all the same.
    if (pane.isVisibleTo(pane.window()))
        pane.setFocus();
    pane.SetSelStart(0);
    pane.SetSelLength(pane.textLength());
}

void Find(TextBox &pane) { FindBar::Of(&pane).Open(FindBar::Mode::Find); }
void replace(TextBox &pane) { FindBar::Of(&pane).Open(FindBar::Mode::Replace); }
void FindNext(TextBox &pane) { FindBar::Of(&pane).FindNext(SearchDirection::Forward); }
void FindPrevious(TextBox &pane) { FindBar::Of(&pane).FindNext(SearchDirection::Backward); }

bool TagColouring()
{
    return EditorSettings::SyntaxColouring();
}

void SetTagColouring(TextBox &pane, bool on)
{
    EditorSettings::SetSyntaxColouring(on);
    pane.setSyntaxColouring(on);
}

bool TypingAids()
{
    return EditorSettings::TypingAids();
}

void SetTypingAids(TextBox &pane, bool on)
{
    EditorSettings::SetTypingAids(on);
    TagAssist::of(pane).setEnabled(on);
}

}
