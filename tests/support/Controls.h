#pragma once
// Tests and benchmarks reach the main window's controls and menu items through the object names
// the window gives them.
#include "app/frmMain.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QWebEngineView>

template <class T> T *control(const frmMain &form, const QString &name)
{
    T *found = form.findChild<T *>(name);
    if (!found)
        qFatal("the main window has no %s", qPrintable(name));
    return found;
}
inline TextBox *txtHTML(const frmMain &form) { return control<TextBox>(form, QStringLiteral("txtHTML")); }
inline QWebEngineView *Web(const frmMain &form) { return control<QWebEngineView>(form, QStringLiteral("Web")); }
inline QToolBar *Toolbar1(const frmMain &form) { return control<QToolBar>(form, QStringLiteral("Toolbar1")); }
inline QWidget *Client(const frmMain &form) { return control<QWidget>(form, QStringLiteral("Client")); }
inline QMenu *mnuEdit(const frmMain &form) { return control<QMenu>(form, QStringLiteral("mnuEdit")); }
inline QAction *MenuItem(const frmMain &form, const QString &name) { return control<QAction>(form, name); }

