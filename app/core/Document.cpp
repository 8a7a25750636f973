#include "app/core/Document.h"

#include "app/core/AppInfo.h"

const QString Document::UntitledName = QStringLiteral("無題");

Document::Document(QObject *parent) : QObject(parent) {}

void Document::SetModified(bool modified)
{
    const bool changed = modified != modified_;
    modified_ = modified;
    announce();
    if (changed)
        emit modifiedChanged(modified);
}

void Document::Restore(const QString &path, const QString &title,
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

void Document::SetFile(const QString &path, const QString &title, TextEncoding encoding)
{
    filePath_ = path;
    fileTitle_ = title;
    if (encoding_ != encoding)
        spellings_.clear();  // they describe bytes of another encoding
    encoding_ = encoding;
    diskIdentity_ = IdentityOf(path);
    declinedIdentity_.reset();
    announce();
}

bool Document::ChangedOnDisk() const
{
    if (!diskIdentity_ || IsUntitled())
        return false;
    const std::optional<FileIdentity> now = IdentityOf(filePath_);
    return now && *now != *diskIdentity_;
}

bool Document::DiskVersionDeclined() const
{
    return declinedIdentity_ && declinedIdentity_ == IdentityOf(filePath_);
}

void Document::MakeUntitled()
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

void Document::TextChanged(int position, int removed, int added)
{
    if (!spellings_.empty())
        ShiftSpellings(spellings_, position, removed, added);
    if (!lineEnds_.others.empty())
        ShiftSpellings(lineEnds_.others, position, removed, added);
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
