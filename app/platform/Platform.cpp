#include "app/platform/Platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>

namespace {

class QtPlatform final : public PlatformServices {
public:
    int MsgBox(QWidget *parent, const QString &prompt, int style, const QString &title) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(title);
        box.setText(prompt);
        switch (style & 0x70) {
        case vb::Critical: box.setIcon(QMessageBox::Critical); break;
        case vb::Question: box.setIcon(QMessageBox::Question); break;
        case vb::Exclamation: box.setIcon(QMessageBox::Warning); break;
        default: box.setIcon(QMessageBox::Information); break;
        }
        switch (style & 0x0F) {
        case vb::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case vb::OKCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case vb::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton((style & vb::DefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return vb::Yes;
        case QMessageBox::No: return vb::No;
        case QMessageBox::Ok: return vb::OK;
        default: return vb::Cancel;
        }
    }

    std::optional<QString> InputBox(QWidget *parent, const QString &prompt, const QString &title,
                                    const QString &text) override
    {
        QInputDialog dlg(parent);
        dlg.setWindowTitle(title);
        dlg.setLabelText(prompt);
        dlg.setTextValue(text);
        dlg.setOkButtonText(QStringLiteral("OK"));
        dlg.setCancelButtonText(QStringLiteral("キャンセル"));
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.textValue();
    }

    void OpenInBrowser(const QUrl &url) override { QDesktopServices::openUrl(url); }

    std::optional<QString> GetOpenFileName(QWidget *parent, const FileDialogRequest &req) override
    {
        return runFileDialog(parent, req, QFileDialog::AcceptOpen);
    }
    std::optional<QString> GetSaveFileName(QWidget *parent, const FileDialogRequest &req) override
    {
        return runFileDialog(parent, req, QFileDialog::AcceptSave);
    }

    std::optional<QFont> GetFont(QWidget *parent, const QFont &initial) override
    {
        QFontDialog dlg(initial, parent);
        dlg.setOption(QFontDialog::DontUseNativeDialog);
        // Only face, style and size are taken: the effects box (strike-out, underline) is not
        // offered.
        for (QGroupBox *box : dlg.findChildren<QGroupBox *>())
            box->hide();
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.selectedFont();
    }

    void ClipboardSetText(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    QString ClipboardGetText() override { return QGuiApplication::clipboard()->text(); }

    void EndProgram() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
        QCoreApplication::exit(0);
    }

private:
    static std::optional<QString> runFileDialog(QWidget *parent, const FileDialogRequest &req,
                                                QFileDialog::AcceptMode mode)
    {
        QFileDialog dlg(parent);
        // Qt's own dialog everywhere: the same keys work on every desktop, and the program
        // asks its own overwrite question after its own name rules.
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
        dlg.setAcceptMode(mode);
        dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
        dlg.setNameFilter(req.filter);
        dlg.setDefaultSuffix(req.defaultSuffix);
        const QString start = req.initialPath;
        if (!start.isEmpty()) {
            const QFileInfo fi(start);
            if (fi.isAbsolute() && fi.dir().exists())
                dlg.setDirectory(fi.absolutePath());
            if (!fi.fileName().contains(QLatin1Char('*')) && !fi.fileName().contains(QLatin1Char('?')))
                dlg.selectFile(fi.fileName());
        }
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return std::nullopt;
        return dlg.selectedFiles().constFirst();
    }
};

QtPlatform &qtPlatform()
{
    static QtPlatform p;
    return p;
}

PlatformServices *current = nullptr;

} // namespace

PlatformServices &Platform()
{
    return current ? *current : qtPlatform();
}

void SetPlatform(PlatformServices *services)
{
    current = services;
}
