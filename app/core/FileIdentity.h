#pragma once
// Which version of a file is on disk: enough to tell that another program has written it since
// the editor last read or wrote it.
#include <QString>
#include <cstdint>
#include <optional>

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;  // modification time, nanoseconds
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// The identity of the file at path (links followed); nullopt when there is none.
std::optional<FileIdentity> identityOf(const QString &path);
