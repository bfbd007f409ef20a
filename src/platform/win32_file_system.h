#pragma once
// The file services over the wide Win32 API, so that names outside the code page work.

#include "platform/file_system.h"

namespace vexaframe {

class Win32FileSystem final : public FileSystem {
public:
    PathStyle Paths() const override { return kWindowsPaths; }
    bool ListMatches(std::string_view pattern,
                     const std::function<bool(const FolderEntry&)>& visit) override;
    std::optional<std::string> FinalPath(const std::string& folder) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    std::optional<std::string> ReadFileRange(const std::string& path, std::uint64_t offset,
                                             std::size_t maxBytes) override;
    std::optional<CalendarTime> LastWritten(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    using FileSystem::WriteFileAtomically;
    bool WriteFileAtomically(const std::string& path, const ByteSource& source) override;
    bool MoveFileOver(const std::string& from, const std::string& to) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveLargeFile(const std::string& path) override;
    bool LinkFile(const std::string& existing, const std::string& link) override;
    bool CanCreateFilesIn(const std::string& folder) override;
    bool CreateFolders(const std::string& folder) override;
};

}  // namespace vexaframe
