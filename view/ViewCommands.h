#pragma once
// The preview command and the preview pane.
class QWidget;
class QWebEngineView;
struct DocumentContext;

namespace ViewCommands {
// The preview pane, ready to show stored pages.
QWebEngineView *CreatePreviewPane(QWidget *parent);
// Saves the document, then shows its freshly written file in web.
void Preview(DocumentContext &c, QWebEngineView &web);
}
