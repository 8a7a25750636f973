#include "view/ViewCommands.h"

#include "app/core/Document.h"
#include "app/DocumentCommands.h"
#include "app/mdlIO.h"
#include "view/Preview.h"

#include <QWebEngineView>

namespace ViewCommands {

QWebEngineView *CreatePreviewPane(QWidget *parent)
{
    return new Preview::PreviewView(parent);
}

void Preview(DocumentContext &c, QWebEngineView &web)
{
    const SaveResult saved = mdlIO::SaveDocument(c);
    // Without a freshly written file the stored path would show some other document than the
    // one being edited (an earlier file, or nothing at all): leave the pane as it is.
    if (!saved.written())
        return;
    Preview::ShowStoredFile(web, c.doc.FilePath(), WebEncodingName(saved.encoding));
}

}
