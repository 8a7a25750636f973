// The toolkit's floor for bench_startup.sh: a bare Qt window with one text box, titled
// "floor", and "floor *" once a key has changed the text (so a script sees the key echoed).
#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QPlainTextEdit edit;
    edit.setWindowTitle(QStringLiteral("floor"));
    QObject::connect(&edit, &QPlainTextEdit::textChanged, &edit,
                     [&edit] { edit.setWindowTitle(QStringLiteral("floor *")); });
    edit.resize(792, 554);
    edit.show();
    return app.exec();
}
