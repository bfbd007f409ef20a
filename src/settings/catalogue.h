#pragma once
// The catalogue of pictures: the files of the enabled kinds in one folder, in path order.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vexaframe {

inline constexpr std::int16_t kMaxImageCount = 32767;

// Wildcard parts of the four picture kinds, in the order of Settings::KindEnabled.
inline constexpr std::array<std::string_view, 4> KindPatterns{"*.bmp", "*.gif", "*.jpg", "*.wmf"};

// A file is taken in a pass only when its whole attribute value equals the pass's value:
// no attribute, archive only, read-only only.
inline constexpr std::array<std::int16_t, 3> kAttributePasses{0, attribute::kArchive,
                                                              attribute::kReadOnly};

struct Catalogue {
    std::int16_t ImageCount = 0;
    std::vector<std::string> ImageFiles;  // full paths; picture number n is ImageFiles[n - 1]
    std::int16_t ScanAttribute = 0;       // the attribute pass under way, or the last one

    const std::string& ImageFile(int number) const { return ImageFiles[number - 1]; }
};

bool FolderExists(FileSystem& files, std::string_view folder);
// Lists the folder once and takes its files pass by pass, then kind by kind, in listing order,
// as if each kind's pattern had been listed in each pass; then sorts the catalogue.
void BuildCatalogue(FileSystem& files, std::string_view folder,
                    const std::array<std::int16_t, 4>& kindEnabled, Catalogue& catalogue);
// Appends `prefix` + name for each of `matches` (one kind's entries of a listing, in listing
// order) whose whole attribute value equals `attribute`, until the catalogue is full.
void CollectMatches(std::string_view prefix, const std::vector<FolderEntry>& matches,
                    std::int16_t attribute, Catalogue& catalogue);
std::string FolderOfPattern(std::string_view pattern, PathStyle paths);
std::string WithTrailingSeparator(std::string_view path, PathStyle paths);
void SortCatalogue(Catalogue& catalogue);

}  // namespace vexaframe
