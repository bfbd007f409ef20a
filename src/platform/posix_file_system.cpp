#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include "platform/posix_handles.h"
#include "platform/wildcard.h"

namespace vexaframe {
namespace {

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using Directory = std::unique_ptr<DIR, DirectoryCloser>;

// The folder part of a path or pattern, for opening: "." for a bare name.
std::string FolderPart(std::string_view path) {
    const std::size_t split = path.rfind('/');
    if (split == std::string_view::npos) return ".";
    return std::string(path.substr(0, split == 0 ? 1 : split));
}

bool IsReadOnly(const struct stat& status) {
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// A read-only file stays as it is, as on Windows; nor is anything but a file replaced.
bool IsReplaceable(const struct stat& status) {
    return S_ISREG(status.st_mode) && !IsReadOnly(status);
}

// Dot-files are hidden. Pipes, sockets and devices count as system files, so that no
// attribute pass takes them. A regular file with neither mark is archive only, as ordinary
// files are on Windows.
std::uint32_t HiddenMark(std::string_view name) {
    const bool hidden = name.starts_with('.') && name != "." && name != "..";
    return hidden ? attribute::kHidden : 0;
}

std::uint32_t AttributesOf(std::string_view name, const struct stat& status) {
    const std::uint32_t marks = HiddenMark(name);
    if (S_ISDIR(status.st_mode)) return marks | attribute::kDirectory;
    if (!S_ISREG(status.st_mode)) return marks | attribute::kSystem;
    const std::uint32_t fileMarks = marks | (IsReadOnly(status) ? attribute::kReadOnly : 0);
    return fileMarks != 0 ? fileMarks : attribute::kArchive;
}

enum class Detail { Mode, Type };

// The entry's attributes as its type in the listing tells them, where it tells them whole: a
// folder, or (when the mode is not asked for) a regular file.
std::optional<std::uint32_t> AttributesOfType(std::string_view name, unsigned char type,
                                              Detail detail) {
    const std::uint32_t marks = HiddenMark(name);
    if (type == DT_DIR) return marks | attribute::kDirectory;
    if (type == DT_REG && detail == Detail::Type) return marks != 0 ? marks : attribute::kArchive;
    return std::nullopt;  // a link, or a type the listing does not give: its own record tells
}

// Where the listing does not say what an entry is, its own record does.
bool IsLink(int folder, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_LNK;
    struct stat status {};
    return fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISLNK(status.st_mode);
}

// Visits the folder's entries matching the pattern's wildcard part.
bool ListFolder(std::string_view pattern, const std::function<bool(const FolderEntry&)>& visit,
                Detail detail) {
    const std::size_t split = pattern.rfind('/');
    const std::string_view wildcard =
        split == std::string_view::npos ? pattern : pattern.substr(split + 1);
    const Directory directory(opendir(FolderPart(pattern).c_str()));
    if (!directory) return false;
    while (true) {
        errno = 0;
        const dirent* entry = readdir(directory.get());
        if (entry == nullptr) return errno == 0;
        const std::string_view name = entry->d_name;
        if (!WildcardMatch(wildcard, name)) continue;
        std::optional<std::uint32_t> attributes = AttributesOfType(name, entry->d_type, detail);
        if (!attributes) {
            struct stat status {};
            if (fstatat(dirfd(directory.get()), entry->d_name, &status, 0) != 0) {
                // Removed since the listing began, or a link to nothing: not an entry any more.
                if (errno == ENOENT) continue;
                return false;
            }
            attributes = AttributesOf(name, status);
            if (S_ISDIR(status.st_mode) && IsLink(dirfd(directory.get()), *entry))
                *attributes |= attribute::kLink;
        }
        if (!visit(FolderEntry{std::string(name), *attributes})) return true;
    }
}

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes a finished rename survive a power cut; where the folder cannot be synced the
// rename has still happened, so this is best effort.
void SyncFolder(const std::string& folder) {
    const Descriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Valid()) fsync(directory.Get());
}

// Non-blocking, so that a named pipe in the file's place cannot hang the program; invalid for
// anything but a regular file.
Descriptor OpenRegularFile(const std::string& path) {
    Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (!file.Valid() || fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
    return file;
}

// Only a file without other names: its bytes are what the others show.
void ShrinkInSteps(const std::string& path) {
    const Descriptor file(open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat status;
    if (!file.Valid() || fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_nlink != 1)
        return;
    for (off_t end = status.st_size; end > 0;) {
        end = std::max<off_t>(end - FileSystem::kBytesFreedAtOnce, 0);
        if (ftruncate(file.Get(), end) != 0) return;
    }
}

}  // namespace

bool PosixFileSystem::ListMatches(std::string_view pattern,
                                  const std::function<bool(const FolderEntry&)>& visit) {
    return ListFolder(pattern, visit, Detail::Mode);
}

bool PosixFileSystem::ListMatchesCheaply(std::string_view pattern,
                                         const std::function<bool(const FolderEntry&)>& visit) {
    return ListFolder(pattern, visit, Detail::Type);
}

std::optional<std::string> PosixFileSystem::FinalPath(const std::string& folder) {
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(folder.c_str(), nullptr),
                                                               &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path) {
    const Descriptor file = OpenRegularFile(path);
    if (!file.Valid()) return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    while (true) {
        const ssize_t count = read(file.Get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return std::nullopt;
        if (count == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

std::optional<std::string> PosixFileSystem::ReadFileRange(const std::string& path,
                                                          std::uint64_t offset,
                                                          std::size_t maxBytes) {
    const Descriptor file = OpenRegularFile(path);
    if (!file.Valid()) return std::nullopt;
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return "";
    std::string bytes;
    char buffer[1 << 16];
    while (bytes.size() < maxBytes) {
        const std::size_t wanted = std::min(sizeof buffer, maxBytes - bytes.size());
        const ssize_t count =
            pread(file.Get(), buffer, wanted, static_cast<off_t>(offset + bytes.size()));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return std::nullopt;
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

std::optional<CalendarTime> PosixFileSystem::LastWritten(const std::string& path) {
    struct stat status {};
    std::tm local{};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        localtime_r(&status.st_mtime, &local) == nullptr)
        return std::nullopt;
    return CalendarTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                        local.tm_hour,        local.tm_min,     local.tm_sec};
}

bool PosixFileSystem::FileExists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool PosixFileSystem::WriteFileAtomically(const std::string& path, const ByteSource& source) {
    // The new file keeps the old one's mode.
    struct stat old {};
    const bool oldExists = stat(path.c_str(), &old) == 0;
    if (oldExists && !IsReplaceable(old)) return false;

    const std::string temporary = path + ".new";
    unlink(temporary.c_str());  // left by a crash, or a link planted there
    Descriptor file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.Valid()) return false;
    const bool written =
        (!oldExists || fchmod(file.Get(), old.st_mode & 07777) == 0) &&
        source([&](std::string_view bytes) { return WriteAll(file.Get(), bytes); }) &&
        fsync(file.Get()) == 0 && file.Close();
    if (!written || !MoveFileOver(temporary, path)) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool PosixFileSystem::MoveFileOver(const std::string& from, const std::string& to) {
    struct stat old {};
    if (stat(to.c_str(), &old) == 0 && !IsReplaceable(old)) return false;
    if (rename(from.c_str(), to.c_str()) != 0) return false;
    SyncFolder(FolderPart(to));
    return true;
}

bool PosixFileSystem::RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool PosixFileSystem::RemoveLargeFile(const std::string& path) {
    ShrinkInSteps(path);
    return RemoveFile(path);
}

bool PosixFileSystem::LinkFile(const std::string& existing, const std::string& link) {
    return ::link(existing.c_str(), link.c_str()) == 0;
}

bool PosixFileSystem::CanCreateFilesIn(const std::string& folder) {
    // Permission bits do not tell (the superuser ignores them, mounts may be read-only).
    const std::string probe = folder + "/.vexaframe-probe-" + std::to_string(getpid());
    const Descriptor file(open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!file.Valid()) return false;
    unlink(probe.c_str());
    return true;
}

bool PosixFileSystem::CreateFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

// mkdtemp makes the folder with mode 0700.
std::string MakePrivateTemporaryFolder() {
    const char* temporary = std::getenv("TMPDIR");
    const std::string base = temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
    std::string folder = base + "/vexaframe-XXXXXX";
    return mkdtemp(folder.data()) != nullptr ? folder : std::string();
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

}  // namespace vexaframe
