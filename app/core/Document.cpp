#include "app/core/Document.h"

#include "app/core/AppInfo.h"

const QString Document::UntitledName = QStringLiteral("無題");

Document::Document(QObject *parent) : QObject(parent) {}

void Document::setModified(bool modified)
{
    const bool changed = modified != modified_;
    modified_ = modified;
    announce();
    if (changed)
        emit modifiedChanged(modified);
}

void Document::restore(const QString &path, const QString &title,
                       std::optional<TextEncoding> encoding, std::optional<FileIdentity> diskIdentity)
{
    filePath_ = path;
    fileTitle_ = title;
    encoding_ = encoding;
    spellings_.clear();
    lineEnds_ = {};
    declaration_.reset();
    diskIdentity_ = diskIdentity;
    declinedIdentity_.reset();
    announce();
}

void Document::setFile(const QString &path, const QString &title, TextEncoding encoding)
{
    filePath_ = path;
    fileTitle_ = title;
    if (encoding_ != encoding)
        spellings_.clear();  // they describe bytes of another encoding
    encoding_ = encoding;
    diskIdentity_ = identityOf(path);
    declinedIdentity_.reset();
    announce();
}

bool Document::changedOnDisk() const
{
    if (!diskIdentity_ || isUntitled())
        return false;
    const std::optional<FileIdentity> now = identityOf(filePath_);
    return now && *now != *diskIdentity_;
}

bool Document::diskVersionDeclined() const
{
    return declinedIdentity_ && declinedIdentity_ == identityOf(filePath_);
}

void Document::makeUntitled()
{
    fileTitle_ = UntitledName;
    encoding_.reset();
    spellings_.clear();
    lineEnds_ = {};
    declaration_.reset();
    diskIdentity_.reset();
    declinedIdentity_.reset();
    announce();
}

void Document::textChanged(int position, int removed, int added)
{
    if (!spellings_.empty())
        shiftSpellings(spellings_, position, removed, added);
    if (!lineEnds_.others.empty())
        shiftSpellings(lineEnds_.others, position, removed, added);
}

QString Document::caption() const
{
    QString caption = AppTitle + QStringLiteral(" - ") + fileTitle_;
    if (modified_)
        caption += QStringLiteral(" *");
    return caption;
}

void Document::announce()
{
    emit captionChanged(caption());
}
