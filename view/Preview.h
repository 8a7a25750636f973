#pragma once
// Shows a stored document in the preview pane.
#include <QString>

class QWebEngineView;

namespace Preview {
// Loads the file at path into web, always as it is on disk now (a second load of the same file
// bypasses every cache). encoding ("shift_jis", "utf-8") is what the file was written in: the
// page is read in it unless the page declares its own charset. An empty path loads nothing.
void ShowStoredFile(QWebEngineView &web, const QString &path, const QString &encoding);
}
