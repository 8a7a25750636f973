#include "app/platform/Japanese.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void installJapaneseFontSubstitutions()
{
    // The face names stay as stored (documents and fn.dat keep them); these make them render.
    const QStringList gothicP{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                              QStringLiteral("IPAGothic")};
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                             QStringLiteral("Noto Sans CJK JP")};
    const QStringList minchoP{QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP"),
                              QStringLiteral("IPAMincho")};
    const QStringList mincho{QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")};
    const struct { const char16_t *name; const QStringList *to; } map[] = {
        {u"ＭＳ Ｐゴシック", &gothicP}, {u"MS PGothic", &gothicP}, {u"ＭＳ ＵＩ Gothic", &gothicP},
        {u"MS UI Gothic", &gothicP}, {u"メイリオ", &gothicP}, {u"Meiryo", &gothicP},
        {u"ＭＳ ゴシック", &gothic}, {u"MS Gothic", &gothic},
        {u"ＭＳ Ｐ明朝", &minchoP}, {u"MS PMincho", &minchoP},
        {u"ＭＳ 明朝", &mincho}, {u"MS Mincho", &mincho},
    };
    for (const auto &m : map)
        QFont::insertSubstitutions(QString::fromUtf16(m.name), *m.to);
}

void installJapaneseUi(QApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_ja", "qtwebengine_ja"}) {
        auto *t = new QTranslator(&app);
        if (t->load(QLatin1String(name), dir))
            QCoreApplication::installTranslator(t);
        else
            delete t;
    }
    installJapaneseFontSubstitutions();
}
