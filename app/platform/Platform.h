#pragma once
// The program reaches message boxes, file and font dialogs, the clipboard and the end of the
// process only through this seam, so that tests can answer with scripted replies. The program
// itself always uses the Qt-backed implementation.
#include <QFont>
#include <QString>
#include <optional>

class QUrl;
class QWidget;

// Message boxes: the buttons, the icon, and the answer given.
enum class MsgButtons { OK, OKCancel, YesNoCancel, YesNo };
enum class MsgIcon { None, Critical, Question, Exclamation };
enum class MsgAnswer { OK, Cancel, Yes, No };
struct MsgStyle {
    MsgButtons buttons = MsgButtons::OK;
    MsgIcon icon = MsgIcon::None;
    bool noIsDefault = false;  // Yes and No: No, the safe answer, is the default
    friend bool operator==(const MsgStyle &, const MsgStyle &) = default;
};

struct FileDialogRequest {
    QString initialPath;  // the name the dialog starts with (may be a pattern such as *.html)
    QString filter;       // Qt filter string: "desc (pat);;desc (pat)"
    QString defaultSuffix;
};

class PlatformServices {
public:
    virtual ~PlatformServices() = default;
    // A modal message box (Esc and the close box give Cancel where there is a Cancel button).
    virtual MsgAnswer MsgBox(QWidget *parent, const QString &prompt, MsgStyle style,
                             const QString &title) = 0;
    // A modal one-line input box starting with text; empty optional = cancelled.
    virtual std::optional<QString> InputBox(QWidget *parent, const QString &prompt,
                                            const QString &title, const QString &text) = 0;
    // Hands the address to the user's own web browser.
    virtual void openInBrowser(const QUrl &url) = 0;
    // Empty optional = the dialog was cancelled.
    virtual std::optional<QString> getOpenFileName(QWidget *parent, const FileDialogRequest &req) = 0;
    virtual std::optional<QString> getSaveFileName(QWidget *parent, const FileDialogRequest &req) = 0;
    virtual std::optional<QFont> getFont(QWidget *parent, const QFont &initial) = 0;
    virtual void clipboardSetText(const QString &text) = 0;
    virtual QString clipboardGetText() = 0;  // "" when the clipboard holds no text
    // Ends the whole program at once, every window with it.
    virtual void endProgram() = 0;
};

PlatformServices &platform();
// Tests install their own; nullptr restores the Qt-backed one. The caller keeps ownership.
void setPlatform(PlatformServices *services);

// Places window at the middle of the screen's available area.
void centreOnScreen(QWidget &window);
