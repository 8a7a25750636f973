#pragma once
// The preview command and the preview pane.
#include "app/core/DocumentCodec.h"

#include <functional>
#include <optional>

class QWidget;
class QWebEngineView;
class Document;

namespace ViewCommands {
// The preview pane, ready to show stored pages.
QWebEngineView *CreatePreviewPane(QWidget *parent);
// Saves the document with save, which gives the encoding of the file it wrote (nothing when it
// wrote none), then shows the freshly written file in web.
void Preview(const Document &doc, QWebEngineView &web,
             const std::function<std::optional<TextEncoding>()> &save);
}
