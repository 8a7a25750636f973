#pragma once
// The preview command and the preview pane.
#include "view/MDL.h"

class QWidget;
class PreviewPane;
class Document;
struct DocumentContext;

namespace ViewCommands {
// The preview pane, white until a page is first to be shown.
PreviewPane *CreatePreviewPane(QWidget *parent);
// Saves the document, then shows its freshly written file in web.
void Preview(DocumentContext &c, PreviewPane &web);
// The preview alone: the user means to look at pages, so the engine starts now.
void BrowserPriority(const MDL::Panes &panes, Document &doc, PreviewPane &web);
}
