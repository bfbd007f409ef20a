#include "settings/catalogue.h"

#include <algorithm>
#include <cstddef>

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

struct Listing {
    FilesByKind filesByKind;
    CatalogueEnd end = CatalogueEnd::Complete;
};

// One listing of the whole folder, split by kind, costs a twelfth of listing every kind's
// pattern in every pass.
Listing ListFilesByKind(FileSystem& files, const std::string& pattern,
                        const std::array<std::int16_t, kKindCount>& kindEnabled,
                        const CatalogueProgress& progress) {
    Listing listing;
    int found = 0;
    const bool listed = files.ListMatches(pattern, [&](const FolderEntry& entry) {
        if (!TakenInSomePass(entry)) return true;
        for (std::size_t kind = 0; kind < kKindPatterns.size(); ++kind) {
            if (IsKindEnabled(kindEnabled[kind]) && IsNameOfKind(kind, entry.name)) {
                listing.filesByKind[kind].push_back(entry);
                ++found;
                if (progress && !progress(std::min<int>(found, kMaxImageCount))) {
                    listing.end = CatalogueEnd::Stopped;
                    return false;
                }
                break;
            }
        }
        return true;
    });
    if (!listed && listing.end == CatalogueEnd::Complete) listing.end = CatalogueEnd::Unreadable;
    return listing;
}

// Takes the entries of one kind whose whole attribute value equals the pass's; false once the
// catalogue is full.
bool TakeMatches(const std::string& prefix, const std::vector<FolderEntry>& matches,
                 std::uint32_t pass, Catalogue& catalogue) {
    for (const FolderEntry& entry : matches) {
        if (entry.attributes != pass) continue;
        if (catalogue.ImageCount == kMaxImageCount) return false;
        ++catalogue.ImageCount;
        catalogue.ImageFiles.push_back(prefix + entry.name);
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
                            Catalogue& catalogue, const CatalogueProgress& progress) {
    catalogue.ImageCount = 0;
    catalogue.ImageFiles.clear();
    if (folder.empty() || !std::ranges::any_of(kindEnabled, IsKindEnabled))
        return CatalogueEnd::Complete;

    const PathStyle paths = files.Paths();
    const std::string prefix = std::string(folder) + paths.separator;
    const Listing listing = ListFilesByKind(files, prefix + '*', kindEnabled, progress);
    bool room = true;
    for (const std::uint32_t pass : kAttributePasses) {
        for (const std::vector<FolderEntry>& matches : listing.filesByKind)
            room = room && TakeMatches(prefix, matches, pass, catalogue);
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

std::string_view FileNameOf(std::string_view path, PathStyle paths) {
    const std::size_t separator = path.find_last_of(paths.separator);
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace vexaframe
