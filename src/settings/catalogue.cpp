#include "settings/catalogue.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

#include "platform/wildcard.h"

namespace vexaframe {
namespace {

using FilesByKind = std::array<std::vector<FolderEntry>, kKindPatterns.size()>;

// Only exactly 1 switches a kind on; 2 or -1 do not.
bool IsKindEnabled(std::int16_t value) {
    return value == 1;
}

bool TakenInSomePass(const FolderEntry& entry) {
    return std::ranges::find(kAttributePasses, entry.attributes) != kAttributePasses.end();
}

// What systems and network drives leave in the folders they share: thumbnails that are named
// like pictures, deleted files, snapshots, the volume's own records.
constexpr std::array<std::string_view, 9> kDebrisFolders{"@eaDir",
                                                         "#recycle",
                                                         "#snapshot",
                                                         "@Recycle",
                                                         "@Recently-Snapshot",
                                                         "$RECYCLE.BIN",
                                                         "RECYCLER",
                                                         "System Volume Information",
                                                         "lost+found"};

struct Listing {
    FilesByKind filesByKind;  // each named by its whole path
    int found = 0;
    CatalogueEnd end = CatalogueEnd::Complete;
};

bool IsPictureOfEnabledKind(const std::array<std::int16_t, kKindCount>& kindEnabled,
                            std::string_view name, std::size_t& kind) {
    for (kind = 0; kind < kKindPatterns.size(); ++kind) {
        if (IsKindEnabled(kindEnabled[kind]) && IsNameOfKind(kind, name)) return true;
    }
    return false;
}

// One listing of the folder, split by kind, costs a twelfth of listing every kind's pattern in
// every pass.
Listing ListFilesByKind(FileSystem& files, const std::string& folder,
                        const std::array<std::int16_t, kKindCount>& kindEnabled,
                        const CatalogueProgress& progress) {
    Listing listing;
    const auto take = [&](const FolderEntry& entry) {
        std::size_t kind = 0;
        if (!TakenInSomePass(entry) || !IsPictureOfEnabledKind(kindEnabled, entry.name, kind))
            return true;
        listing.filesByKind[kind].push_back({folder + entry.name, entry.attributes});
        ++listing.found;
        if (progress && !progress(std::min(listing.found, kMaxImageCount))) {
            listing.end = CatalogueEnd::Stopped;
            return false;
        }
        return true;
    };
    if (!files.ListMatches(folder + '*', take) && listing.end != CatalogueEnd::Stopped)
        listing.end = CatalogueEnd::Unreadable;
    return listing;
}

// A folder of the library on the walk: its pictures and the sub-folders to search, each by its
// name and, for a folder, the separator after it. Sorted so, a folder's entries come in the
// order of the whole paths below them.
struct FolderOnWalk {
    struct Entry {
        std::string key;
        bool isFolder = false;
        bool isLink = false;
    };
    std::string prefix;  // from the library's folder, with the separator after it
    std::vector<Entry> entries;
    std::size_t next = 0;
};

// The trees a walk searches: the library's, and each that a link or junction leads out to. A
// folder of the library is reached only by its own path, however many links lead to it, and a
// link back up cannot loop; only a link needs its final path, which under Wine costs an open.
class LinkedTrees {
public:
    LinkedTrees(FileSystem& files, const std::string& library) : files_(files) {
        if (std::optional<std::string> root = files.FinalPath(library)) roots_.push_back(*root);
    }

    // Whether the walk enters the link: true, once, for a folder outside every tree so far.
    bool Enters(const std::string& link) {
        std::optional<std::string> target = files_.FinalPath(link);
        if (!target || std::ranges::any_of(roots_, [&](const std::string& root) {
                return IsWithin(*target, root);
            }))
            return false;
        roots_.push_back(std::move(*target));
        return true;
    }

private:
    bool IsWithin(std::string_view path, std::string_view root) const {
        if (!path.starts_with(root)) return false;
        return path.size() == root.size() || path[root.size()] == files_.Paths().separator ||
               root.ends_with(files_.Paths().separator);
    }

    FileSystem& files_;
    std::vector<std::string> roots_;
};

// Beyond one folder a file's read-only mark decides nothing, and reading it would cost more
// than the search itself.
bool ListFolderOnWalk(FileSystem& files, const std::string& library,
                      const std::array<std::int16_t, kKindCount>& kindEnabled,
                      FolderOnWalk& folder) {
    const char separator = files.Paths().separator;
    const auto take = [&](const FolderEntry& entry) {
        std::size_t kind = 0;
        if (IsFolderToSearch(entry))
            folder.entries.push_back(
                {entry.name + separator, true, (entry.attributes & attribute::kLink) != 0});
        else if (TakenInSomePass(entry) && IsPictureOfEnabledKind(kindEnabled, entry.name, kind))
            folder.entries.push_back({entry.name, false});
        return true;
    };
    const bool listed = files.ListMatchesCheaply(library + folder.prefix + '*', take);
    std::ranges::sort(folder.entries, {}, &FolderOnWalk::Entry::key);
    return listed;
}

// Takes (moves out) the entries of one kind whose whole attribute value equals the pass's;
// false once the catalogue is full.
bool TakeMatches(std::vector<FolderEntry>& matches, std::uint32_t pass, Catalogue& catalogue) {
    for (FolderEntry& entry : matches) {
        if (entry.attributes != pass) continue;
        if (catalogue.ImageCount == kMaxImageCount) return false;
        ++catalogue.ImageCount;
        catalogue.ImageFiles.push_back(std::move(entry.name));
    }
    return true;
}

}  // namespace

bool IsNameOfKind(std::size_t kind, std::string_view name) {
    for (std::string_view patterns = kKindPatterns[kind];;) {
        const std::size_t end = patterns.find(';');
        if (WildcardMatch(patterns.substr(0, end), name)) return true;
        if (end == std::string_view::npos) return false;
        patterns.remove_prefix(end + 1);
    }
}

std::int32_t MaxImageCount(FolderScope scope) {
    return scope == FolderScope::WithSubFolders ? kMaxImageCountWithSubFolders : kMaxImageCount;
}

bool IsFolderToSearch(const FolderEntry& entry) {
    constexpr std::uint32_t kPassedOver = attribute::kHidden | attribute::kSystem;
    if ((entry.attributes & attribute::kDirectory) == 0 || (entry.attributes & kPassedOver) != 0 ||
        entry.name.starts_with('.'))
        return false;
    return std::ranges::none_of(kDebrisFolders, [&entry](std::string_view debris) {
        return WildcardMatch(debris, entry.name);  // no wildcards: the name in any case
    });
}

bool FolderExists(FileSystem& files, std::string_view folder) {
    bool found = false;
    // The listing stops at the first entry; only whether one came matters, not how it ended.
    static_cast<void>(files.ListMatches(WithTrailingSeparator(folder, files.Paths()) + "*.*",
                                        [&found](const FolderEntry&) {
                                            found = true;
                                            return false;
                                        }));
    return found;
}

CatalogueEnd ListLibrary(FileSystem& files, std::string_view folder,
                         const std::array<std::int16_t, kKindCount>& kindEnabled,
                         const PictureFound& found) {
    if (folder.empty() || !std::ranges::any_of(kindEnabled, IsKindEnabled))
        return CatalogueEnd::Complete;
    const std::string library = std::string(folder) + files.Paths().separator;
    std::vector<FolderOnWalk> walk(1);
    if (!ListFolderOnWalk(files, library, kindEnabled, walk.back()))
        return CatalogueEnd::Unreadable;
    LinkedTrees trees(files, library);
    std::int32_t listed = 0;
    while (!walk.empty()) {
        FolderOnWalk& current = walk.back();
        if (current.next == current.entries.size()) {
            walk.pop_back();
            continue;
        }
        FolderOnWalk::Entry& entry = current.entries[current.next++];
        std::string path = current.prefix + entry.key;
        if (!entry.isFolder) {
            if (listed == kMaxImageCountWithSubFolders) return CatalogueEnd::Full;
            ++listed;
            if (!found(library + path)) return CatalogueEnd::Stopped;
            continue;
        }
        if (entry.isLink && !trees.Enters(library + path)) continue;
        FolderOnWalk subFolder{std::move(path), {}, 0};
        if (ListFolderOnWalk(files, library, kindEnabled, subFolder))
            walk.push_back(std::move(subFolder));
    }
    return CatalogueEnd::Complete;
}

CatalogueEnd BuildCatalogue(FileSystem& files, std::string_view folder,
                            const std::array<std::int16_t, kKindCount>& kindEnabled,
                            Catalogue& catalogue, const CatalogueProgress& progress,
                            FolderScope scope) {
    catalogue.ImageCount = 0;
    catalogue.ImageFiles.clear();
    if (scope == FolderScope::WithSubFolders) {
        return ListLibrary(files, folder, kindEnabled, [&](std::string path) {
            catalogue.ImageFiles.push_back(std::move(path));
            ++catalogue.ImageCount;
            return !progress || progress(catalogue.ImageCount);
        });
    }
    if (folder.empty() || !std::ranges::any_of(kindEnabled, IsKindEnabled))
        return CatalogueEnd::Complete;

    const std::string prefix = std::string(folder) + files.Paths().separator;
    Listing listing = ListFilesByKind(files, prefix, kindEnabled, progress);
    bool room = true;
    for (const std::uint32_t pass : kAttributePasses) {
        for (std::vector<FolderEntry>& matches : listing.filesByKind)
            room = room && TakeMatches(matches, pass, catalogue);
    }
    // Byte order of UTF-8 is code point order, and case stays distinct: "Z.bmp" < "a.bmp".
    std::ranges::sort(catalogue.ImageFiles);
    return room ? listing.end : CatalogueEnd::Full;
}

std::string WithTrailingSeparator(std::string_view path, PathStyle paths) {
    std::string trimmed(path.substr(0, path.find_last_not_of(' ') + 1));
    if (trimmed.empty() || trimmed.back() != paths.separator) trimmed += paths.separator;
    return trimmed;
}

std::string_view CataloguedName(std::string_view path, std::string_view folder) {
    if (folder.empty()) return path;
    return path.substr(std::min(path.size(), folder.size() + 1));  // and its separator
}

}  // namespace vexaframe
