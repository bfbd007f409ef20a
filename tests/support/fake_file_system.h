#pragma once
// An in-memory file system for tests. Paths are exact (case matters), runs of separators
// count as one, "C:x" is "C:\x", and a folder lists its entries in the order they were
// added; "." and ".." come first in every folder but a Windows drive root.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace vexaframe {

class FakeFileSystem : public FileSystem {
public:
    explicit FakeFileSystem(PathStyle paths = kWindowsPaths) : paths_(paths) {}

    // Adds or replaces a file; missing parent folders are made.
    void AddFile(std::string_view path, std::string_view bytes = {},
                 std::uint32_t attributes = attribute::kArchive) {
        const std::string key = Canonical(path);
        AddFolder(ParentOf(key));
        if (nodes_.count(key) == 0) children_[ParentOf(key)].push_back(NameOf(key));
        nodes_[key] = Node{false, std::string(bytes), attributes};
    }

    // Adds a folder with the attributes, and missing parent folders; one there stays as it is.
    void AddFolder(std::string_view path, std::uint32_t attributes = attribute::kDirectory) {
        const std::string key = Canonical(path);
        if (nodes_.count(key) == 0 && !IsTopFolder(key)) {
            AddFolder(ParentOf(key));
            children_[ParentOf(key)].push_back(NameOf(key));
            nodes_[key] = Node{true, {}, attributes};
        }
        children_.try_emplace(key);
    }

    // A folder's link (a symbolic link, a junction) at `path`: listed as a folder, it reaches
    // `target` and everything in it.
    void AddFolderLink(std::string_view path, std::string_view target) {
        const std::string key = Canonical(path);
        AddFolder(ParentOf(key));
        children_[ParentOf(key)].push_back(NameOf(key));
        nodes_[key] = Node{true, {}, attribute::kDirectory | attribute::kLink};
        links_[key] = Canonical(target);
    }

    // Listing the folder fails at once.
    void MakeUnlistable(std::string_view folder) { unlistable_.insert(Canonical(folder)); }
    // No file can be made or replaced in the folder.
    void MakeUnwritable(std::string_view folder) { unwritable_.insert(Canonical(folder)); }
    // The file exists but cannot be read.
    void MakeUnreadable(std::string_view path) { unreadable_.insert(Canonical(path)); }
    // What LastWritten gives for the file while it exists; without this, nothing.
    void SetLastWritten(std::string_view path, const CalendarTime& time) {
        lastWritten_[Canonical(path)] = time;
    }

    // Every listing fails after visiting this many entries.
    std::optional<std::size_t> listingsFailAfter;
    // WriteFileAtomically and CreateFolders fail.
    bool failWrites = false;

    int writeCount = 0;                       // files written
    std::size_t bytesRead = 0;                // handed out by ReadFile and ReadFileRange
    std::vector<std::string> listedPatterns;  // in the order asked for

    std::optional<std::string> FileBytes(std::string_view path) const {
        const Node* node = Find(path);
        if (node == nullptr || node->isFolder) return std::nullopt;
        return node->bytes;
    }

    PathStyle Paths() const override { return paths_; }

    bool ListMatches(std::string_view pattern,
                     const std::function<bool(const FolderEntry&)>& visit) override {
        listedPatterns.emplace_back(pattern);
        const std::size_t split = LastSeparator(pattern) + 1;  // 0 without a folder part
        const std::string folder = Resolved(Canonical(pattern.substr(0, split)));
        const std::string_view wildcard = pattern.substr(split);
        const auto listing = children_.find(folder);
        if (listing == children_.end() || unlistable_.count(folder) != 0) return false;
        std::vector<FolderEntry> entries;
        if (!(paths_.hasDriveLetters && IsRoot(folder))) {
            entries.push_back({".", attribute::kDirectory});
            entries.push_back({"..", attribute::kDirectory});
        }
        for (const std::string& name : listing->second)
            entries.push_back({name, nodes_.at(Join(folder, name)).attributes});

        std::size_t visited = 0;
        for (const FolderEntry& entry : entries) {
            if (!WildcardMatch(wildcard, entry.name)) continue;
            if (listingsFailAfter && visited == *listingsFailAfter) return false;
            ++visited;
            if (!visit(entry)) break;
        }
        return true;
    }

    std::optional<std::string> FinalPath(const std::string& folder) override {
        const std::string key = Resolved(Canonical(folder));
        if (!IsFolder(key) || unlistable_.count(key) != 0) return std::nullopt;
        return key;
    }

    std::optional<std::string> ReadFile(const std::string& path) override {
        return ReadFileRange(path, 0, std::string::npos);
    }

    std::optional<std::string> ReadFileRange(const std::string& path, std::uint64_t offset,
                                             std::size_t maxBytes) override {
        if (unreadable_.count(Canonical(path)) != 0) return std::nullopt;
        const std::optional<std::string> bytes = FileBytes(path);
        if (!bytes) return std::nullopt;
        const std::string range = offset < bytes->size() ? bytes->substr(offset, maxBytes) : "";
        bytesRead += range.size();
        return range;
    }

    std::optional<CalendarTime> LastWritten(const std::string& path) override {
        const auto time = lastWritten_.find(Canonical(path));
        if (time == lastWritten_.end() || !FileBytes(path)) return std::nullopt;
        return time->second;
    }

    bool FileExists(const std::string& path) override { return FileBytes(path).has_value(); }

    using FileSystem::WriteFileAtomically;
    bool WriteFileAtomically(const std::string& path, const ByteSource& source) override {
        std::string bytes;
        if (!source([&](std::string_view piece) {
                bytes += piece;
                return true;
            }))
            return false;
        const std::string key = Canonical(path);
        const Node* old = Find(key);
        const bool oldIsReplaceable =
            old == nullptr || (!old->isFolder && (old->attributes & attribute::kReadOnly) == 0);
        if (failWrites || !oldIsReplaceable || !CanCreateFilesIn(ParentOf(key))) return false;
        AddFile(key, bytes);
        ++writeCount;
        return true;
    }

    bool MoveFileOver(const std::string& from, const std::string& to) override {
        const std::optional<std::string> bytes = FileBytes(from);
        if (!bytes || !WriteFileAtomically(to, *bytes)) return false;
        RemoveFile(from);
        return true;
    }

    bool RemoveFile(const std::string& path) override {
        const std::string key = Canonical(path);
        const Node* node = Find(key);
        if (node == nullptr) return true;
        if (node->isFolder) return false;
        nodes_.erase(key);
        auto& siblings = children_[ParentOf(key)];
        siblings.erase(std::find(siblings.begin(), siblings.end(), NameOf(key)));
        return true;
    }

    bool RemoveLargeFile(const std::string& path) override { return RemoveFile(path); }

    // A copy: what the tests look at is the same.
    bool LinkFile(const std::string& existing, const std::string& link) override {
        const std::optional<std::string> bytes = FileBytes(existing);
        if (!bytes || Find(link) != nullptr || !CanCreateFilesIn(ParentOf(Canonical(link))))
            return false;
        AddFile(link, *bytes);
        return true;
    }

    bool CanCreateFilesIn(const std::string& folder) override {
        const std::string key = Canonical(folder);
        return IsFolder(key) && unwritable_.count(key) == 0;
    }

    bool CreateFolders(const std::string& folder) override {
        const std::string key = Canonical(folder);
        if (IsFolder(key)) return true;
        if (failWrites || !CanCreateFolderChain(key)) return false;
        AddFolder(key);
        return true;
    }

private:
    struct Node {
        bool isFolder;
        std::string bytes;
        std::uint32_t attributes;
    };

    bool IsSeparator(char c) const { return c == paths_.separator; }

    // Where the folder part ends: its last separator, or a drive's colon.
    std::size_t LastSeparator(std::string_view path) const {
        const char ends[] = {paths_.separator, paths_.hasDriveLetters ? ':' : paths_.separator};
        return path.find_last_of(std::string_view(ends, 2));
    }

    // One separator between parts and none at the end, except for a bare root.
    std::string Canonical(std::string_view path) const {
        std::string key;
        for (char c : path) {
            if (IsSeparator(c) && !key.empty() && IsSeparator(key.back())) continue;
            if (IsDriveLetterOnly(key) && !IsSeparator(c)) key += paths_.separator;
            key += c;
        }
        if (key.size() > 1 && IsSeparator(key.back())) key.pop_back();
        return key;
    }

    bool IsDriveLetterOnly(const std::string& key) const {
        return paths_.hasDriveLetters && key.size() == 2 && key[1] == ':';
    }

    bool IsRoot(const std::string& key) const {
        return IsDriveLetterOnly(key) || (key.size() == 1 && IsSeparator(key[0]));
    }

    // A root, or a relative name's empty folder: present without being added.
    bool IsTopFolder(const std::string& key) const { return key.empty() || IsRoot(key); }

    // Without a folder part the search gives npos, and npos + 1 is 0: no parent, all name.
    std::string ParentOf(const std::string& key) const {
        return Canonical(std::string_view(key).substr(0, LastSeparator(key) + 1));
    }
    std::string NameOf(const std::string& key) const { return key.substr(LastSeparator(key) + 1); }

    std::string Join(const std::string& folder, const std::string& name) const {
        if (folder.empty()) return name;
        if (IsSeparator(folder.back())) return folder + name;
        return folder + paths_.separator + name;
    }

    // The path with every folder link on the way replaced by what it reaches; a link that
    // reaches itself ends the search, as the system's own limit on links would.
    std::string Resolved(std::string key) const {
        for (int links = 0; links < 40; ++links) {
            const auto link = std::find_if(links_.begin(), links_.end(), [&](const auto& entry) {
                return key == entry.first ||
                       (key.starts_with(entry.first) && IsSeparator(key[entry.first.size()]));
            });
            if (link == links_.end()) return key;
            key = link->second + key.substr(link->first.size());
        }
        return key;
    }

    const Node* Find(std::string_view path) const {
        const auto node = nodes_.find(Resolved(Canonical(path)));
        return node == nodes_.end() ? nullptr : &node->second;
    }

    bool IsFolder(const std::string& key) const {
        const Node* node = Find(key);
        return node != nullptr ? node->isFolder : children_.count(key) != 0;
    }

    bool CanCreateFolderChain(const std::string& key) const {
        std::string existing = key;
        while (!IsFolder(existing)) {
            if (Find(existing) != nullptr || IsTopFolder(existing)) return false;
            existing = ParentOf(existing);
        }
        return unwritable_.count(existing) == 0;
    }

    PathStyle paths_;
    std::map<std::string, Node> nodes_;
    std::map<std::string, std::vector<std::string>> children_;  // names in the order added
    std::set<std::string> unlistable_;
    std::set<std::string> unwritable_;
    std::set<std::string> unreadable_;
    std::map<std::string, CalendarTime> lastWritten_;
    std::map<std::string, std::string> links_;  // a folder link: what it reaches
};

}  // namespace vexaframe
