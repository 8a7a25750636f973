#pragma once
// Tests and benchmarks reach the main window's controls and menu items by their object names.
#include "app/frmMain.h"
#include "view/PreviewPane.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QWebEngineView>

inline TextBox *txtHTML(const frmMain &f) { return f.findChild<TextBox *>(QStringLiteral("txtHTML")); }
// The preview pane's place in the window; white, and no engine behind it, until a page is first shown.
inline PreviewPane *WebPane(const frmMain &f) { return f.findChild<PreviewPane *>(QStringLiteral("Web")); }
// The preview's browser view, the engine started for it if it was not yet.
inline QWebEngineView *Web(const frmMain &f) { return qobject_cast<QWebEngineView *>(WebPane(f)->view()); }
inline QToolBar *Toolbar1(const frmMain &f) { return f.findChild<QToolBar *>(QStringLiteral("Toolbar1")); }
inline QWidget *Client(const frmMain &f) { return f.findChild<QWidget *>(QStringLiteral("Client")); }
inline QMenu *mnuEdit(const frmMain &f) { return f.findChild<QMenu *>(QStringLiteral("mnuEdit")); }
inline QAction *MenuItem(const frmMain &f, const QString &name) { return f.findChild<QAction *>(name); }
