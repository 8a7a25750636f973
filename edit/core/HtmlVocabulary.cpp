#include "edit/core/HtmlVocabulary.h"

#include <QFile>

#include <algorithm>

namespace {

QStringList words(QStringView text)
{
    QStringList out;
    for (const QStringView w : text.split(u' ', Qt::SkipEmptyParts))
        out << w.trimmed().toString().toLower();
    out.removeAll(QString());
    return out;
}

// Names with a trailing "?" are boolean: the mark goes, the name is remembered.
QStringList attributesOf(QStringView text, QSet<QString> &booleans)
{
    QStringList names = words(text);
    for (QString &n : names) {
        if (n.endsWith(u'?')) {
            n.chop(1);
            booleans.insert(n);
        }
    }
    names.removeAll(QString());
    return names;
}

bool beginsWith(const QString &name, QStringView prefix)
{
    return name.startsWith(prefix, Qt::CaseInsensitive);
}

void sortUnique(QStringList &names)
{
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

} // namespace

// Built into the core library; a static library's resources are registered by hand.
static void registerNames()
{
    Q_INIT_RESOURCE(names);
}

const HtmlVocabulary &HtmlVocabulary::standard()
{
    static const HtmlVocabulary standard = [] {
        registerNames();
        QFile file(QStringLiteral(":/html/names.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return HtmlVocabulary();
        return parse(QString::fromUtf8(file.readAll()));
    }();
    return standard;
}

HtmlVocabulary HtmlVocabulary::parse(QStringView text)
{
    HtmlVocabulary v;
    for (QStringView line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u"global:")) {
            v.globals_ << attributesOf(line.mid(7), v.globalBooleans_);
        } else if (line.startsWith(u"element ")) {
            const qsizetype colon = line.indexOf(u':');
            if (colon < 0)
                continue;
            const QStringList head = words(line.mid(8, colon - 8));
            if (head.isEmpty())
                continue;
            HtmlElementInfo e;
            e.name = head.first();
            e.isVoid = head.contains(QStringLiteral("void"));
            e.obsolete = head.contains(QStringLiteral("obsolete"));
            const QStringView rest = line.mid(colon + 1);
            const qsizetype bar = rest.indexOf(u'|');
            e.attributes = attributesOf(bar < 0 ? rest : rest.left(bar), e.booleans);
            if (bar >= 0)
                e.obsoleteAttributes = attributesOf(rest.mid(bar + 1), e.booleans);
            sortUnique(e.attributes);
            sortUnique(e.obsoleteAttributes);
            v.elements_ << e;
        } else if (line.startsWith(u"ends ")) {
            const QStringList w = words(line.mid(5));
            const qsizetype on = w.indexOf(QStringLiteral("on"));
            const qsizetype within = w.indexOf(QStringLiteral("within"));
            if (on <= 0 || (within >= 0 && within < on))
                continue;
            HtmlImpliedEnd rule;
            rule.ended = w.mid(0, on);
            rule.by = within < 0 ? w.mid(on + 1) : w.mid(on + 1, within - on - 1);
            if (within >= 0)
                rule.within = w.mid(within + 1);
            v.impliedEnds_ << rule;
        }
    }
    std::sort(v.elements_.begin(), v.elements_.end(),
              [](const HtmlElementInfo &a, const HtmlElementInfo &b) { return a.name < b.name; });
    sortUnique(v.globals_);
    return v;
}

const HtmlElementInfo *HtmlVocabulary::element(QStringView name) const
{
    const QString lower = name.toString().toLower();
    const auto it = std::lower_bound(elements_.begin(), elements_.end(), lower,
                                     [](const HtmlElementInfo &e, const QString &n) { return e.name < n; });
    return it != elements_.end() && it->name == lower ? &*it : nullptr;
}

bool HtmlVocabulary::isVoid(QStringView name) const
{
    const HtmlElementInfo *e = element(name);
    return e && e->isVoid;
}

QStringList HtmlVocabulary::elementNames(QStringView prefix) const
{
    QStringList current, obsolete;
    for (const HtmlElementInfo &e : elements_)
        if (beginsWith(e.name, prefix))
            (e.obsolete ? obsolete : current) << e.name;
    return current + obsolete;
}

QStringList HtmlVocabulary::attributeNames(QStringView elementName, QStringView prefix,
                                           const QStringList &present) const
{
    QStringList out;
    auto add = [&](const QStringList &names) {
        for (const QString &n : names)
            if (beginsWith(n, prefix) && !present.contains(n, Qt::CaseInsensitive) && !out.contains(n))
                out << n;
    };
    const HtmlElementInfo *e = element(elementName);
    if (e)
        add(e->attributes);
    add(globals_);
    if (e)
        add(e->obsoleteAttributes);
    return out;
}

bool HtmlVocabulary::isBooleanAttribute(QStringView elementName, QStringView attribute) const
{
    const QString lower = attribute.toString().toLower();
    if (const HtmlElementInfo *e = element(elementName); e && (e->attributes.contains(lower) || e->obsoleteAttributes.contains(lower)))
        return e->booleans.contains(lower);
    return globalBooleans_.contains(lower);
}
