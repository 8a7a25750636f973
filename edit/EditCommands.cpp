#include "edit/EditCommands.h"

#include "app/platform/Platform.h"
#include "edit/pane/TextBox.h"
#include "edit/EditorSettings.h"
#include "edit/core/PaneText.h"
#include "edit/FindBar.h"
#include "edit/TagAssist.h"

namespace EditCommands {

void cut(TextBox &pane)
{
    if (pane.SelLength() < 1)
        return;
    platform().clipboardSetText(pane.SelText());
    pane.setSelText(QString());
}

void copy(TextBox &pane)
{
    if (pane.SelLength() < 1)
        return;
    // SelText already gives '\n' line ends; the clipboard layer converts for the platform.
    platform().clipboardSetText(pane.SelText());
}

void paste(TextBox &pane)
{
    const QString text = platform().clipboardGetText();
    // Only the empty text is refused: a lone space or line break is pasted.
    if (text.isEmpty())
        return;
    // Clipboard text from other programs ends lines with CR LF, LF or a lone CR (the same ends
    // a file may have); each becomes one line break of the pane.
    pane.setSelText(paneLineBreaks(text));
}

void deleteSelection(TextBox &pane)
{
    if (pane.SelLength() > 0)
        pane.setSelText(QString());
}

void selectAll(TextBox &pane)
{
    // A hidden pane (browser priority) must not take the focus: keys would go into a pane
    // the user cannot see. The text is selected all the same.
    if (pane.isVisibleTo(pane.window()))
        pane.setFocus();
    pane.setSelStart(0);
    pane.setSelLength(pane.textLength());
}

void find(TextBox &pane) { FindBar::of(&pane).open(FindBar::Mode::Find); }
void replace(TextBox &pane) { FindBar::of(&pane).open(FindBar::Mode::Replace); }
void findNext(TextBox &pane) { FindBar::of(&pane).findNext(SearchDirection::Forward); }
void findPrevious(TextBox &pane) { FindBar::of(&pane).findNext(SearchDirection::Backward); }

bool tagColouring()
{
    return EditorSettings::syntaxColouring();
}

void setTagColouring(TextBox &pane, bool on)
{
    EditorSettings::setSyntaxColouring(on);
    pane.setSyntaxColouring(on);
}

bool typingAids()
{
    return EditorSettings::typingAids();
}

void setTypingAids(TextBox &pane, bool on)
{
    EditorSettings::setTypingAids(on);
    TagAssist::of(pane).setEnabled(on);
}

}
