#pragma once
// Answers the program's dialogs, message boxes and clipboard from a script, and records what
// the program asked, so command logic runs in tests without a modal window.
#include "app/platform/Platform.h"

#include <QFont>
#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class ScriptedPlatform : public PlatformServices {
public:
    struct Message {
        QString prompt;
        MsgStyle style;
        QString title;
    };

    // Scripted answers, taken in order. An empty queue answers Cancel / a cancelled dialog.
    QQueue<MsgAnswer> msgBoxAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    QQueue<std::optional<QString>> openAnswers;
    QQueue<std::optional<QString>> saveAnswers;
    QQueue<std::optional<QFont>> fontAnswers;

    // What the program asked for.
    QList<Message> messages;
    QList<Message> inputs;  // style is unused
    QList<QUrl> browserUrls;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QList<QFont> fontRequests;
    int endProgramCalls = 0;

    // The clipboard: nullopt means "holds no text" (for example only a picture).
    std::optional<QString> clipboard;
    int clipboardSetCalls = 0;

    MsgAnswer MsgBox(QWidget *, const QString &prompt, MsgStyle style, const QString &title) override;
    std::optional<QString> InputBox(QWidget *, const QString &prompt, const QString &title,
                                    const QString &text) override;
    void openInBrowser(const QUrl &url) override;
    std::optional<QString> getOpenFileName(QWidget *, const FileDialogRequest &req) override;
    std::optional<QString> getSaveFileName(QWidget *, const FileDialogRequest &req) override;
    std::optional<QFont> getFont(QWidget *, const QFont &initial) override;
    void clipboardSetText(const QString &text) override;
    QString clipboardGetText() override;
    void endProgram() override;

    QStringList prompts() const;
};

// Installs a ScriptedPlatform for the lifetime of the object.
class ScopedScriptedPlatform {
public:
    ScopedScriptedPlatform() { setPlatform(&platform); }
    ~ScopedScriptedPlatform() { setPlatform(nullptr); }
    ScriptedPlatform platform;
};
