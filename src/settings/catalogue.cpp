#include "settings/catalogue.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <set>
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

// Lists one folder, `prefix` from the catalogue's folder, into the listing; with `subFolders`
// it gathers the sub-folders to search too. False when the folder could not be listed.
bool ListFolder(FileSystem& files, const std::string& folder, const std::string& prefix,
                const std::array<std::int16_t, kKindCount>& kindEnabled, std::int32_t bound,
                const CatalogueProgress& progress, Listing& listing,
                std::vector<std::string>* subFolders) {
    const auto take = [&](const FolderEntry& entry) {
        if (subFolders != nullptr && IsFolderToSearch(entry)) subFolders->push_back(entry.name);
        if (!TakenInSomePass(entry)) return true;
        for (std::size_t kind = 0; kind < kKindPatterns.size(); ++kind) {
            if (IsKindEnabled(kindEnabled[kind]) && IsNameOfKind(kind, entry.name)) {
                listing.filesByKind[kind].push_back(
                    {folder + prefix + entry.name, entry.attributes});
                ++listing.found;
                if (progress && !progress(std::min(listing.found, bound))) {
                    listing.end = CatalogueEnd::Stopped;
                    return false;
                }
                break;
            }
        }
        return true;
    };
    const std::string pattern = folder + prefix + '*';
    // Beyond one folder a file's read-only mark decides no more than the order files are taken
    // in at the bound, and reading it would cost more than the search itself.
    const bool listed = subFolders != nullptr ? files.ListMatchesCheaply(pattern, take)
                                              : files.ListMatches(pattern, take);
    return listed || listing.end == CatalogueEnd::Stopped;
}

// One listing of each folder, split by kind, costs a twelfth of listing every kind's pattern
// in every pass. Sub-folders are searched once each, however many links reach them.
Listing ListFilesByKind(FileSystem& files, const std::string& folder,
                        const std::array<std::int16_t, kKindCount>& kindEnabled,
                        const CatalogueProgress& progress, FolderScope scope) {
    Listing listing;
    const std::int32_t bound = MaxImageCount(scope);
    const bool withSubFolders = scope == FolderScope::WithSubFolders;
    const char separator = files.Paths().separator;
    std::set<FolderIdentity> searched;
    if (withSubFolders) {
        if (const std::optional<FolderIdentity> identity = files.IdentifyFolder(folder))
            searched.insert(*identity);
    }
    std::vector<std::string> pending{""};  // prefixes from the catalogue's folder
    for (bool first = true; !pending.empty() && listing.end == CatalogueEnd::Complete;
         first = false) {
        const std::string prefix = std::move(pending.back());
        pending.pop_back();
        std::vector<std::string> subFolders;
        if (!ListFolder(files, folder, prefix, kindEnabled, bound, progress, listing,
                        withSubFolders ? &subFolders : nullptr) &&
            first)
            listing.end = CatalogueEnd::Unreadable;
        for (const std::string& name : subFolders) {
            const std::string subFolder = prefix + name + separator;
            const std::optional<FolderIdentity> identity = files.IdentifyFolder(folder + subFolder);
            if (identity && searched.insert(*identity).second) pending.push_back(subFolder);
        }
    }
    return listing;
}

// Takes (moves out) the entries of one kind whose whole attribute value equals the pass's;
// false once the catalogue is full.
bool TakeMatches(std::vector<FolderEntry>& matches, std::uint32_t pass, std::int32_t bound,
                 Catalogue& catalogue) {
    for (FolderEntry& entry : matches) {
        if (entry.attributes != pass) continue;
        if (catalogue.ImageCount == bound) return false;
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

CatalogueEnd BuildCatalogue(FileSystem& files, std::string_view folder,
                            const std::array<std::int16_t, kKindCount>& kindEnabled,
                            Catalogue& catalogue, const CatalogueProgress& progress,
                            FolderScope scope) {
    catalogue.ImageCount = 0;
    catalogue.ImageFiles.clear();
    if (folder.empty() || !std::ranges::any_of(kindEnabled, IsKindEnabled))
        return CatalogueEnd::Complete;

    const std::string prefix = std::string(folder) + files.Paths().separator;
    Listing listing = ListFilesByKind(files, prefix, kindEnabled, progress, scope);
    const std::int32_t bound = MaxImageCount(scope);
    bool room = true;
    for (const std::uint32_t pass : kAttributePasses) {
        for (std::vector<FolderEntry>& matches : listing.filesByKind)
            room = room && TakeMatches(matches, pass, bound, catalogue);
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
    return path.substr(std::min(path.size(), folder.size() + 1));  // and its separator
}

}  // namespace vexaframe
