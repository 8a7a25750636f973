#pragma once
// The preview command and the preview pane.
#include "app/core/DocumentCodec.h"
#include "view/MDL.h"

#include <functional>
#include <optional>

class QWidget;
class PreviewPane;
class Document;

namespace ViewCommands {
// The preview pane, white until a page is first to be shown.
PreviewPane *createPreviewPane(QWidget *parent);
// Saves the document with save, which gives the encoding of the file it wrote (nothing when it
// wrote none), then shows the freshly written file in web.
void preview(const Document &doc, PreviewPane &web,
             const std::function<std::optional<TextEncoding>()> &save);
// The preview alone: the user means to look at pages, so the engine starts now.
void browserPriority(const MDL::Panes &panes, ViewMode &mode, PreviewPane &web);
}
