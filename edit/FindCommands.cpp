// The Edit menu's undo, redo, find and replace commands and the tag-colour switch. Undo and
// redo use the pane's own history; find and replace go through the bar above the pane.
#include "app/frmMain.h"
#include "edit/EditorSettings.h"
#include "edit/EditingExtras.h"
#include "edit/FindBar.h"

#include <QAction>

void frmMain::mnuUndo_Click()
{
    txtHTML->undo();
}

void frmMain::mnuRedo_Click()
{
    txtHTML->redo();
}

void frmMain::mnuFind_Click()
{
    FindBar::Of(txtHTML).Open(FindBar::Mode::Find);
}

void frmMain::mnuReplace_Click()
{
    FindBar::Of(txtHTML).Open(FindBar::Mode::Replace);
}

void frmMain::mnuFindNext_Click()
{
    FindBar::Of(txtHTML).FindNext(SearchDirection::Forward);
}

void frmMain::mnuFindPrevious_Click()
{
    FindBar::Of(txtHTML).FindNext(SearchDirection::Backward);
}

void frmMain::mnuSyntaxColor_Click()
{
    const bool on = !EditorSettings::SyntaxColouring();
    EditorSettings::SetSyntaxColouring(on);
    txtHTML->SetSyntaxColouring(on);
    if (QAction *item = MenuItem(QStringLiteral("mnuSyntaxColor")))
        item->setChecked(on);
}

void InstallEditingExtras(frmMain &form)
{
    // The table builds plain items; this one shows whether colouring is on.
    if (QAction *item = form.MenuItem(QStringLiteral("mnuSyntaxColor"))) {
        item->setCheckable(true);
        item->setChecked(EditorSettings::SyntaxColouring());
    }
    form.txtHTML->SetSyntaxColouring(EditorSettings::SyntaxColouring());
}
