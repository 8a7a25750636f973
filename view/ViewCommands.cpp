#include "view/ViewCommands.h"

#include "app/core/Document.h"
#include "view/Preview.h"

#include <QWebEngineView>

namespace ViewCommands {

QWebEngineView *CreatePreviewPane(QWidget *parent)
{
    return new Preview::PreviewView(parent);
}

void Preview(const Document &doc, QWebEngineView &web,
             const std::function<std::optional<TextEncoding>()> &save)
{
    const std::optional<TextEncoding> written = save();
    // Without a freshly written file the stored path would show some other document than the
    // one being edited (an earlier file, or nothing at all): leave the pane as it is.
    if (!written)
        return;
    Preview::ShowStoredFile(web, doc.FilePath(), EncodingLabel(*written));
}

}
