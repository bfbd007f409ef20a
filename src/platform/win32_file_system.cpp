#include "platform/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/win32_handles.h"
#include "platform/win32_text.h"

namespace vexaframe {
namespace {

// Newer bits (not content indexed, compressed, sparse, offline...) say nothing about
// whether a file is a plain picture, so they are not part of the value the passes compare.
constexpr DWORD kClassicAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                     FILE_ATTRIBUTE_ARCHIVE;

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

OwnedFile OpenForReading(const std::string& path) {
    return TakeFile(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Only a file without other names: its bytes are what the others show.
void ShrinkInSteps(const std::wstring& path) {
    const OwnedFile file =
        TakeFile(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    if (!file || !GetFileInformationByHandle(file.get(), &information) ||
        information.nNumberOfLinks != 1)
        return;
    LARGE_INTEGER end;
    end.HighPart = static_cast<LONG>(information.nFileSizeHigh);
    end.LowPart = information.nFileSizeLow;
    while (end.QuadPart > 0) {
        end.QuadPart = std::max<LONGLONG>(end.QuadPart - FileSystem::kBytesFreedAtOnce, 0);
        if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
            return;
    }
}

// A file that is a reparse point (a cloud file's placeholder, say) is taken as any file.
std::uint32_t AttributesOf(const WIN32_FIND_DATAW& found) {
    const DWORD attributes = found.dwFileAttributes;
    constexpr DWORD kJunction = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    const bool link = (attributes & kJunction) == kJunction;
    return (attributes & kClassicAttributes) | (link ? attribute::kLink : 0);
}

}  // namespace

bool Win32FileSystem::ListMatches(std::string_view pattern,
                                  const std::function<bool(const FolderEntry&)>& visit) {
    WIN32_FIND_DATAW found;
    const OwnedSearch search =
        TakeSearch(FindFirstFileExW(WideFromUtf8(pattern).c_str(), FindExInfoBasic, &found,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    // "Not found" is an existing folder without a match: a complete, empty listing.
    if (!search) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const FolderEntry entry{Utf8FromWide(found.cFileName), AttributesOf(found)};
        if (!visit(entry)) return true;
    } while (FindNextFileW(search.get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

std::optional<std::string> Win32FileSystem::FinalPath(const std::string& folder) {
    // Opening a folder takes backup semantics; a junction or link on the way is followed.
    const OwnedFile opened =
        TakeFile(CreateFileW(WideFromUtf8(folder).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!opened || !GetFileInformationByHandle(opened.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return std::nullopt;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(opened.get(), path.data(),
                                                       static_cast<DWORD>(path.size()), 0);
        if (length == 0) return std::nullopt;
        if (length < path.size()) {
            path.resize(length);
            return Utf8FromWide(path);
        }
        path.resize(length);  // the size it needs, with its terminator
    }
}

std::optional<std::string> Win32FileSystem::ReadFile(const std::string& path) {
    const OwnedFile file = OpenForReading(path);
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    DWORD count = 0;
    do {
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) return std::nullopt;
        bytes.append(buffer, count);
    } while (count != 0);
    return bytes;
}

std::optional<std::string> Win32FileSystem::ReadFileRange(const std::string& path,
                                                          std::uint64_t offset,
                                                          std::size_t maxBytes) {
    const OwnedFile file = OpenForReading(path);
    if (!file) return std::nullopt;
    LARGE_INTEGER start;
    start.QuadPart = static_cast<LONGLONG>(std::min<std::uint64_t>(offset, MAXLONGLONG));
    if (!SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) return std::nullopt;
    std::string bytes;
    char buffer[1 << 16];
    while (bytes.size() < maxBytes) {
        const auto wanted = static_cast<DWORD>(std::min(sizeof buffer, maxBytes - bytes.size()));
        DWORD count = 0;
        if (!::ReadFile(file.get(), buffer, wanted, &count, nullptr)) return std::nullopt;
        if (count == 0) break;
        bytes.append(buffer, count);
    }
    return bytes;
}

std::optional<CalendarTime> Win32FileSystem::LastWritten(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    SYSTEMTIME universal;
    SYSTEMTIME local;
    if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        !FileTimeToSystemTime(&data.ftLastWriteTime, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return std::nullopt;
    return CalendarTime{local.wYear, local.wMonth,  local.wDay,
                        local.wHour, local.wMinute, local.wSecond};
}

bool Win32FileSystem::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::WriteFileAtomically(const std::string& path, const ByteSource& source) {
    const std::string temporary = path + ".new";
    OwnedFile file = TakeFile(CreateFileW(WideFromUtf8(temporary).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const bool written =
        source([&](std::string_view bytes) { return WriteAll(file.get(), bytes); }) &&
        FlushFileBuffers(file.get());
    const bool closed = CloseNow(file);
    if (!written || !closed || !MoveFileOver(temporary, path)) {
        RemoveFile(temporary);
        return false;
    }
    return true;
}

bool Win32FileSystem::MoveFileOver(const std::string& from, const std::string& to) {
    const std::wstring target = WideFromUtf8(to);
    // Not every file system refuses to rename over a read-only file; we always do.
    const DWORD oldAttributes = GetFileAttributesW(target.c_str());
    if (oldAttributes != INVALID_FILE_ATTRIBUTES && (oldAttributes & FILE_ATTRIBUTE_READONLY) != 0)
        return false;
    return MoveFileExW(WideFromUtf8(from).c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32FileSystem::RemoveFile(const std::string& path) {
    return DeleteFileW(WideFromUtf8(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool Win32FileSystem::RemoveLargeFile(const std::string& path) {
    ShrinkInSteps(WideFromUtf8(path));
    return RemoveFile(path);
}

bool Win32FileSystem::LinkFile(const std::string& existing, const std::string& link) {
    return CreateHardLinkW(WideFromUtf8(link).c_str(), WideFromUtf8(existing).c_str(), nullptr) !=
           0;
}

bool Win32FileSystem::CanCreateFilesIn(const std::string& folder) {
    // Only trying tells: access rules, read-only media and virtualisation all have a say.
    const std::wstring probe = WideFromUtf8(folder) + L"\\vexaframe-probe-" +
                               std::to_wstring(GetCurrentProcessId()) + L".tmp";
    const OwnedFile file =
        TakeFile(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file != nullptr;
}

bool Win32FileSystem::CreateFolders(const std::string& folder) {
    const std::wstring wide = WideFromUtf8(folder);
    // Parents that exist already, and drive or share roots, fail harmlessly here.
    for (std::size_t end = wide.find_first_of(L"\\/", 1); end != std::wstring::npos;
         end = wide.find_first_of(L"\\/", end + 1))
        CreateDirectoryW(wide.substr(0, end).c_str(), nullptr);
    CreateDirectoryW(wide.c_str(), nullptr);
    return IsFolder(wide);
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace vexaframe
