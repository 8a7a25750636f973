#pragma once
// What the preview module (libtavropreview, the browser engine's side of the preview) offers
// the program. The program loads it when a page is first to be shown, so nothing here names
// the engine's own types.
#include <QString>

class QWidget;

class PreviewEngine {
public:
    virtual ~PreviewEngine() = default;
    // A sandboxed view, a child of parent.
    virtual QWidget *createView(QWidget *parent) = 0;
    // Shows the stored file at path in a view createView made (see Preview::showStoredFile).
    virtual void showStoredFile(QWidget &view, const QString &path, const QString &encoding) = 0;
};

// The module's one entry point, by this name.
extern "C" PreviewEngine *tavroPreviewEngine();
inline constexpr char PreviewEngineEntry[] = "tavroPreviewEngine";
