#include "view/ViewCommands.h"

#include "app/core/Document.h"
#include "view/PreviewPane.h"

namespace ViewCommands {

PreviewPane *createPreviewPane(QWidget *parent)
{
    return new PreviewPane(parent);
}

void preview(const Document &doc, PreviewPane &web,
             const std::function<std::optional<TextEncoding>()> &save)
{
    const std::optional<TextEncoding> written = save();
    // Without a freshly written file the stored path would show some other document than the
    // one being edited (an earlier file, or nothing at all): leave the pane as it is.
    if (!written)
        return;
    web.showStoredFile(doc.FilePath(), encodingLabel(*written));
}

void browserPriority(const MDL::Panes &panes, ViewMode &mode, PreviewPane &web)
{
    web.view();
    MDL::ApplyBrowserLayout(panes, mode);
}

}
