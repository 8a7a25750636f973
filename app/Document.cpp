#include "app/Document.h"

#include "app/AppInfo.h"

const QString Document::UntitledName = QStringLiteral("無題");

Document::Document(QObject *parent) : QObject(parent) {}

void Document::SetModified(bool modified)
{
    modified_ = modified;
    announce();
}

void Document::SetFile(const QString &path, const QString &title, TextEncoding encoding)
{
    filePath_ = path;
    fileTitle_ = title;
    encoding_ = encoding;
    announce();
}

void Document::MakeUntitled()
{
    fileTitle_ = UntitledName;
    encoding_.reset();
    announce();
}

QString Document::Caption() const
{
    QString caption = AppTitle + QStringLiteral(" - ") + fileTitle_;
    if (modified_)
        caption += QStringLiteral(" *");
    return caption;
}

void Document::announce()
{
    emit captionChanged(Caption());
}
