#include "view/ViewCommands.h"

#include "app/Document.h"
#include "app/DocumentCommands.h"
#include "app/mdlIO.h"
#include "view/PreviewPane.h"

namespace ViewCommands {

PreviewPane *CreatePreviewPane(QWidget *parent)
{
    return new PreviewPane(parent);
}

void Preview(DocumentContext &c, PreviewPane &web)
{
    const SaveResult saved = mdlIO::SaveDocument(c);
    // Without a freshly written file the stored path would show some other document than the
    // one being edited (an earlier file, or nothing at all): leave the pane as it is.
    if (!saved.written())
        return;
    web.showStoredFile(c.doc.FilePath(), WebEncodingName(saved.encoding));
}

void BrowserPriority(const MDL::Panes &panes, Document &doc, PreviewPane &web)
{
    web.view();
    MDL::ApplyBrowserLayout(panes, doc);
}

}
