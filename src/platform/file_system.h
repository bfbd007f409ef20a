#pragma once
// The file services the program relies on. Paths are UTF-8 text in the platform's own
// spelling (separator and drive letters as PathStyle says); nothing here normalises them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/calendar_time.h"

namespace vexaframe {

struct PathStyle {
    char separator;
    bool hasDriveLetters;  // "C:" ends a folder part, as a separator does
};
inline constexpr PathStyle kWindowsPaths{'\\', true};
inline constexpr PathStyle kPosixPaths{'/', false};

// File attribute values as Windows reports them; POSIX maps onto the same bits.
namespace attribute {
inline constexpr std::uint32_t kReadOnly = 1;
inline constexpr std::uint32_t kHidden = 2;
inline constexpr std::uint32_t kSystem = 4;
inline constexpr std::uint32_t kDirectory = 16;
inline constexpr std::uint32_t kArchive = 32;
inline constexpr std::uint32_t kLink = 1024;  // a folder that is a link or junction to another
}  // namespace attribute

struct FolderEntry {
    std::string name;          // as the listing returns it, without the folder
    std::uint32_t attributes;  // only the bits of namespace attribute
};

// Takes the next piece of a file's contents; false when it could not be written.
using ByteSink = std::function<bool(std::string_view)>;
// Hands a file's contents to the sink in order; false when a piece failed.
using ByteSource = std::function<bool(const ByteSink&)>;

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual PathStyle Paths() const = 0;

    // Visits the entries matching `pattern` (a folder, a separator and a wildcard part with
    // * and ?, case-insensitive), in listing order, until `visit` returns false. A pattern
    // that matches nothing is a complete, empty listing. Returns false when the listing
    // failed: folder missing or unreadable, or an error part-way through.
    [[nodiscard]] virtual bool ListMatches(
        std::string_view pattern, const std::function<bool(const FolderEntry&)>& visit) = 0;
    // The same, for searches of many folders, where a file's read-only mark would cost more
    // than the listing itself (POSIX, which keeps it in each file's own record): every file
    // the listing names as a regular file comes as an archive file.
    [[nodiscard]] virtual bool ListMatchesCheaply(
        std::string_view pattern, const std::function<bool(const FolderEntry&)>& visit) {
        return ListMatches(pattern, visit);
    }

    // The folder's own path, after every link and junction on the way: spelled the same however
    // it is reached. Nothing when it is no folder or cannot be reached.
    [[nodiscard]] virtual std::optional<std::string> FinalPath(const std::string& folder) = 0;

    // The whole file, or nothing when it is missing or unreadable.
    [[nodiscard]] virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    // Up to `maxBytes` of the file from `offset` on: fewer where it ends sooner, none from its
    // end on. Nothing when it is missing or unreadable.
    [[nodiscard]] virtual std::optional<std::string> ReadFileRange(const std::string& path,
                                                                   std::uint64_t offset,
                                                                   std::size_t maxBytes) = 0;

    // When the file's contents last changed, in local time; nothing when no file is there.
    [[nodiscard]] virtual std::optional<CalendarTime> LastWritten(const std::string& path) = 0;

    // True when a file (not a folder) exists at the path, readable or not: a file that
    // cannot be read must not be taken for a missing one and overwritten.
    virtual bool FileExists(const std::string& path) = 0;

    // Replaces the file's contents atomically: a temporary file in the same folder, then a
    // rename over the old one. On failure the old file is left whole.
    [[nodiscard]] bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
        return WriteFileAtomically(path, [bytes](const ByteSink& write) { return write(bytes); });
    }
    // The same with the contents made piece by piece as they are written, so that a large file
    // is never held whole; `source` returns false when it could not make or write them all.
    [[nodiscard]] virtual bool WriteFileAtomically(const std::string& path,
                                                   const ByteSource& source) = 0;

    // Puts the file `from` in the place of `to` in one step; both lie in one folder. A
    // read-only `to` is refused as WriteFileAtomically refuses it. On failure both stay.
    [[nodiscard]] virtual bool MoveFileOver(const std::string& from, const std::string& to) = 0;

    // True when no file is left at the path.
    virtual bool RemoveFile(const std::string& path) = 0;
    // The same for a large file. Where the path is the file's only name, its bytes are given
    // back kBytesFreedAtOnce at a time first, so that no one call frees hundreds of megabytes:
    // that takes the file system tens of milliseconds, and under Wine the removal itself is made
    // by the server that every thread of the program waits on.
    virtual bool RemoveLargeFile(const std::string& path) = 0;
    static constexpr std::int64_t kBytesFreedAtOnce = std::int64_t{16} << 20;

    // Gives an existing file a second name in the same folder (a hard link); false where the
    // file system has no such links, or the name is taken.
    virtual bool LinkFile(const std::string& existing, const std::string& link) = 0;

    // True when a new file can be created in the folder (it exists and is writable).
    [[nodiscard]] virtual bool CanCreateFilesIn(const std::string& folder) = 0;

    // Creates the folder and any missing parents; true when it exists afterwards.
    [[nodiscard]] virtual bool CreateFolders(const std::string& folder) = 0;
};

// The system's own files.
std::unique_ptr<FileSystem> MakeSystemFileSystem();

}  // namespace vexaframe
