#include "windows/frmAbout.h"

#include "app/core/AppInfo.h"
#include "windows/core/Twips.h"
#include "windows/SingleWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace {

SingleWindow<frmAbout> g_about;

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &r)
{
    QFont font = designFont(9.75);
    font.setWeight(QFont::Normal);
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->setGeometry(r);
    label->adjustSize();  // labels size themselves to their text
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    // Fixed single border: title bar, system menu and close box, no minimise or maximise box.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("バージョン情報"));
    const QPixmap icon(QStringLiteral(":/icons/tavro.png"));
    setWindowIcon(QIcon(icon));
    setFixedSize(twipsToPixels(3660), twipsToPixels(1260));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twipsRect(120, 120, 480, 480));
    Image1->setPixmap(icon);

    Label1 = makeLabel(this, "Label1", QStringLiteral("(C) 2026 Tavro"), twipsRect(840, 720, 1545, 195));
    Label2 = makeLabel(this, "Label2", AppTitle, twipsRect(840, 240, 510, 195));
    Label3 = makeLabel(this, "Label3", QStringLiteral("Version ") + AppVersion,
                       twipsRect(840, 480, 1065, 195));

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(2880, 720, 615, 375));
    // Enter presses the button that has the focus; it is not the window's default button,
    // and nothing answers Esc.
    Command1->setAutoDefault(true);
    Command1->setDefault(false);
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
}

frmAbout::~frmAbout() = default;

void frmAbout::closeEvent(QCloseEvent *event)
{
    // The close box unloads the window; the next opening builds a new one.
    g_about.forget(this);
    event->accept();
}

void frmAbout::Command1_Click()
{
    // A window the program never placed is placed anew by the window manager each time it is
    // shown; placed explicitly where it stands, it comes back there. (QWidget::move to the
    // same place would change nothing.)
    const QPoint where = pos();
    hide();
    if (QWindow *window = windowHandle())
        window->setFramePosition(where);
}

frmAbout &aboutForm()
{
    return g_about.get();
}

frmAbout *aboutFormIfLoaded()
{
    return g_about.ifLoaded();
}

void unloadAboutForm()
{
    g_about.unload();
}
