#pragma once
// The preview pane's place in the main window. The browser engine (a module of its own, its
// helper processes, tens of megabytes) is started only when a page is first to be shown: until
// then the pane is a plain white widget of the same size, and a user who never previews never
// pays for the engine.
#include <QString>
#include <QWidget>

class PreviewEngine;

class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget *parent = nullptr);

    // The sandboxed view (a QWebEngineView), made and the engine started on the first call;
    // null when the preview module cannot be loaded (the user has been told).
    QWidget *view();
    // Shows the stored file at path (see Preview::showStoredFile), starting the engine first.
    void showStoredFile(const QString &path, const QString &encoding);

private:
    PreviewEngine *engine_ = nullptr;
    QWidget *view_ = nullptr;
    bool failed_ = false;
};
