#pragma once
// The names of HTML: its elements, their attributes, which elements are void and which start
// tags end an open element. They are data, read from assets/html/names.txt (built into the
// program), so following the standard means editing that file, not this code.
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

struct HtmlElementInfo {
    QString name;  // lower case, as in the file
    bool isVoid = false;
    bool obsolete = false;
    QStringList attributes;          // its own current attributes
    QStringList obsoleteAttributes;  // its own, no longer conforming
    QSet<QString> booleans;          // those of both written without a value
};

// A start tag named in `by` ends the nearest open element named in `ended`, unless an element
// named in `within` is open nearer to it (an <li> ends the open <li> of its own list only).
struct HtmlImpliedEnd {
    QStringList ended;
    QStringList by;
    QStringList within;
};

class HtmlVocabulary {
public:
    // The names the program ships with.
    static const HtmlVocabulary &standard();
    // Reads the file's format; lines it cannot read are left out.
    static HtmlVocabulary parse(QStringView text);

    // By name in any case; nullptr for a name the file does not hold (a custom element).
    const HtmlElementInfo *element(QStringView name) const;
    bool isVoid(QStringView name) const;
    const QList<HtmlImpliedEnd> &impliedEnds() const { return impliedEnds_; }

    // Element names beginning with prefix, in any case: the current ones, then the obsolete
    // ones, each in alphabetical order.
    QStringList elementNames(QStringView prefix) const;
    // Attribute names for the element beginning with prefix: its own, the global ones, then
    // the obsolete ones, each in alphabetical order, leaving out those already present.
    QStringList attributeNames(QStringView element, QStringView prefix, const QStringList &present) const;
    bool isBooleanAttribute(QStringView element, QStringView attribute) const;

private:
    QList<HtmlElementInfo> elements_;  // sorted by name
    QStringList globals_;              // sorted
    QSet<QString> globalBooleans_;
    QList<HtmlImpliedEnd> impliedEnds_;
};
