#include "support/ScriptedPlatform.h"

MsgAnswer ScriptedPlatform::MsgBox(QWidget *, const QString &prompt, MsgStyle style, const QString &title)
{
    messages.append({prompt, style, title});
    if (msgBoxAnswers.isEmpty())
        return style.buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::Cancel;
    return msgBoxAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::InputBox(QWidget *, const QString &prompt,
                                                  const QString &title, const QString &)
{
    inputs.append({prompt, {}, title});
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.dequeue();
}

void ScriptedPlatform::openInBrowser(const QUrl &url)
{
    browserUrls.append(url);
}

std::optional<QString> ScriptedPlatform::getOpenFileName(QWidget *, const FileDialogRequest &req)
{
    openRequests.append(req);
    return openAnswers.isEmpty() ? std::nullopt : openAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::getSaveFileName(QWidget *, const FileDialogRequest &req)
{
    saveRequests.append(req);
    return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
}

std::optional<QFont> ScriptedPlatform::getFont(QWidget *, const QFont &initial)
{
    fontRequests.append(initial);
    return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.dequeue();
}

void ScriptedPlatform::clipboardSetText(const QString &text)
{
    ++clipboardSetCalls;
    clipboard = text;
}

QString ScriptedPlatform::clipboardGetText()
{
    return clipboard.value_or(QString());
}

void ScriptedPlatform::endProgram()
{
    ++endProgramCalls;
}

QStringList ScriptedPlatform::prompts() const
{
    QStringList out;
    for (const auto &m : messages)
        out << m.prompt;
    return out;
}
