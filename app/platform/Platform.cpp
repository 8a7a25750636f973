#include "app/platform/Platform.h"

#include "app/platform/FontFace.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QValidator>

namespace {

class QtPlatform final : public PlatformServices {
public:
    MsgAnswer MsgBox(QWidget *parent, const QString &prompt, MsgStyle style, const QString &title) override
    {
        QMessageBox box(parent);
        // Without a window on the screen to stand over (at start-up, the splash stays on top of
        // everything), the box stays on top itself: otherwise it would be hidden and start-up
        // would seem to hang.
        if (!parent || !parent->isVisible())
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.setWindowTitle(title);
        box.setText(prompt);
        switch (style.icon) {
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::None: box.setIcon(QMessageBox::Information); break;
        }
        switch (style.buttons) {
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MsgButtons::OKCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(style.noIsDefault ? QMessageBox::No : QMessageBox::Yes);
            break;
        case MsgButtons::OK:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Ok: return MsgAnswer::OK;
        default: return MsgAnswer::Cancel;
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

    void openInBrowser(const QUrl &url) override { QDesktopServices::openUrl(url); }

    std::optional<QString> getOpenFileName(QWidget *parent, const FileDialogRequest &req) override
    {
        return runFileDialog(parent, req, QFileDialog::AcceptOpen);
    }
    std::optional<QString> getSaveFileName(QWidget *parent, const FileDialogRequest &req) override
    {
        return runFileDialog(parent, req, QFileDialog::AcceptSave);
    }

    std::optional<QFont> getFont(QWidget *parent, const QFont &initial) override
    {
        // The dialog lists installed faces only: it starts at the one that shows the font.
        QFont shown = initial;
        const QString face = installedFace(initial.family());
        shown.setFamilies({face});
        // Named, the style is selected in the dialog's list; it leaves the chosen font.
        shown.setStyleName(faceStyle(face, initial.bold(), initial.italic()));
        QFontDialog dlg(shown, parent);
        dlg.setOption(QFontDialog::DontUseNativeDialog);
        // Only face, style and size are taken: the effects box (strike-out, underline) is not
        // offered.
        for (QGroupBox *box : dlg.findChildren<QGroupBox *>())
            box->hide();
        // The dialog's fields, in the order it makes them: face, style, size (the one taking
        // whole numbers), then the sample.
        const QList<QLineEdit *> fields = dlg.findChildren<QLineEdit *>();
        QLineEdit *faceField = fields.value(0);
        QLineEdit *styleField = fields.value(1);
        QLineEdit *sizeField = fields.value(2);
        if (!sizeField || !qobject_cast<const QIntValidator *>(sizeField->validator()))
            faceField = styleField = sizeField = nullptr;
        // Qt's size field takes whole points; sizes such as 10.5 are entered and kept here.
        if (sizeField) {
            sizeField->setValidator(new QDoubleValidator(1, 512, 1, sizeField));
            sizeField->setText(QString::number(initial.pointSizeF()));
        }
        // Many Japanese faces come in one style only, drawn bold or slanted by Qt: bold and
        // italic are boxes of their own. A style chosen from the list sets them.
        auto *bold = new QCheckBox(QStringLiteral("太字(&B)"), &dlg);
        auto *italic = new QCheckBox(QStringLiteral("斜体(&I)"), &dlg);
        bold->setObjectName(QStringLiteral("bold"));
        italic->setObjectName(QStringLiteral("italic"));
        auto *grid = qobject_cast<QGridLayout *>(dlg.layout());
        auto *writingSystem = dlg.findChild<QComboBox *>();
        if (grid && writingSystem && grid->indexOf(writingSystem) >= 0) {
            // Beside the writing-system list, under the styles.
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(grid->indexOf(writingSystem), &row, &column, &rows, &columns);
            auto *boxes = new QHBoxLayout;
            boxes->addWidget(bold);
            boxes->addWidget(italic);
            boxes->addStretch();
            grid->addLayout(boxes, row, column + 2, 1, grid->columnCount() - column - 2);
        }
        bold->setChecked(initial.bold());
        italic->setChecked(initial.italic());
        if (styleField) {
            QObject::connect(styleField, &QLineEdit::textChanged, bold, [=](const QString &style) {
                bold->setChecked(QFontDatabase::weight(faceField->text(), style) >= QFont::Bold);
                italic->setChecked(QFontDatabase::italic(faceField->text(), style));
            });
        }
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        QFont chosen = dlg.selectedFont();
        bool isNumber = false;
        const double size = sizeField ? sizeField->text().toDouble(&isNumber) : 0;
        if (isNumber && size > 0)
            chosen.setPointSizeF(size);
        chosen.setBold(bold->isChecked());
        chosen.setItalic(italic->isChecked());
        return chosen;
    }

    void clipboardSetText(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    QString clipboardGetText() override { return QGuiApplication::clipboard()->text(); }

    void endProgram() override
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

PlatformServices &platform()
{
    return current ? *current : qtPlatform();
}

void setPlatform(PlatformServices *services)
{
    current = services;
}

void centreOnScreen(QWidget &window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = window.rect();
        r.moveCenter(screen->availableGeometry().center());
        window.move(r.topLeft());
    }
}
