#include "settings/catalogue.h"

#include <algorithm>
#include <cstddef>

#include "platform/wildcard.h"

namespace vexaframe {
namespace {

using FilesByKind = std::array<std::vector<FolderEntry>, KindPatterns.size()>;

// Only exactly 1 switches a kind on; 2 or -1 do not.
bool IsKindEnabled(std::int16_t value) {
    return value == 1;
}

// One listing of the whole folder, split by kind, costs a twelfth of listing every kind's
// pattern in every pass. A listing that fails part-way keeps what it returned until then.
FilesByKind ListFilesByKind(FileSystem& files, const std::string& pattern,
                            const std::array<std::int16_t, 4>& kindEnabled) {
    FilesByKind filesByKind;
    files.ListMatches(pattern, [&](const FolderEntry& entry) {
        for (std::size_t kind = 0; kind < KindPatterns.size(); ++kind) {
            if (IsKindEnabled(kindEnabled[kind]) && WildcardMatch(KindPatterns[kind], entry.name)) {
                filesByKind[kind].push_back(entry);
                break;
            }
        }
        return true;
    });
    return filesByKind;
}

}  // namespace

bool FolderExists(FileSystem& files, std::string_view folder) {
    bool found = false;
    files.ListMatches(WithTrailingSeparator(folder, files.Paths()) + "*.*",
                      [&found](const FolderEntry&) {
                          found = true;
                          return false;
                      });
    return found;
}

void BuildCatalogue(FileSystem& files, std::string_view folder,
                    const std::array<std::int16_t, 4>& kindEnabled, Catalogue& catalogue) {
    catalogue.ImageCount = 0;
    catalogue.ImageFiles.clear();
    if (folder.empty()) return;

    const PathStyle paths = files.Paths();
    const std::string pattern = std::string(folder) + paths.separator + '*';
    const FilesByKind filesByKind = std::ranges::any_of(kindEnabled, IsKindEnabled)
                                        ? ListFilesByKind(files, pattern, kindEnabled)
                                        : FilesByKind{};
    const std::string prefix = FolderOfPattern(pattern, paths) + paths.separator;
    for (const std::int16_t pass : kAttributePasses) {
        catalogue.ScanAttribute = pass;
        for (const std::vector<FolderEntry>& matches : filesByKind)
            CollectMatches(prefix, matches, pass, catalogue);
    }
    if (catalogue.ImageCount > 1) SortCatalogue(catalogue);
}

void CollectMatches(std::string_view prefix, const std::vector<FolderEntry>& matches,
                    std::int16_t attribute, Catalogue& catalogue) {
    for (const FolderEntry& entry : matches) {
        if (entry.attributes != static_cast<std::uint32_t>(attribute)) continue;
        if (catalogue.ImageCount == kMaxImageCount) return;
        ++catalogue.ImageCount;
        catalogue.ImageFiles.push_back(std::string(prefix) + entry.name);
    }
}

std::string FolderOfPattern(std::string_view pattern, PathStyle paths) {
    const char folderEnds[] = {paths.separator, paths.hasDriveLetters ? ':' : paths.separator};
    const std::size_t last = pattern.find_last_of(std::string_view(folderEnds, 2));
    if (last == std::string_view::npos) return {};
    std::string_view folder = pattern.substr(0, last + 1);
    if (folder.back() == paths.separator) folder.remove_suffix(1);
    return std::string(folder);
}

std::string WithTrailingSeparator(std::string_view path, PathStyle paths) {
    std::string trimmed(path.substr(0, path.find_last_not_of(' ') + 1));
    if (trimmed.empty() || trimmed.back() != paths.separator) trimmed += paths.separator;
    return trimmed;
}

// Byte order of UTF-8 is code point order, and case stays distinct: "Z.bmp" < "a.bmp".
void SortCatalogue(Catalogue& catalogue) {
    std::sort(catalogue.ImageFiles.begin(), catalogue.ImageFiles.begin() + catalogue.ImageCount);
}

}  // namespace vexaframe
