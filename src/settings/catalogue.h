#pragma once
// The catalogue of pictures: the files of the enabled kinds in one folder, or in it and its
// sub-folders, in path order.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vexaframe {

// The pictures a catalogue holds at most: of one folder, and of a folder with its sub-folders.
inline constexpr std::int32_t kMaxImageCount = 32767;
inline constexpr std::int32_t kMaxImageCountWithSubFolders = 1 << 20;

// The picture kinds, in the order of Settings::KindEnabled: each kind's caption, and the
// wildcard parts of the file names it takes, separated by ';'. A JPEG or HEIF photograph's name
// may end in any of its format's names.
inline constexpr std::size_t kKindCount = 8;
inline constexpr std::array<std::string_view, kKindCount> kKindCaptions{
    "*.bmp", "*.gif", "*.jpg", "*.wmf", "*.png", "*.webp", "*.heic", "*.avif"};
inline constexpr std::array<std::string_view, kKindCount> kKindPatterns{
    "*.bmp", "*.gif",  "*.jpg;*.jpeg;*.jpe;*.jfif", "*.wmf",
    "*.png", "*.webp", "*.heic;*.heif;*.hif",       "*.avif"};

// True when the file name matches one of the kind's wildcard parts.
bool IsNameOfKind(std::size_t kind, std::string_view name);

// A file is taken in a pass only when its whole attribute value equals the pass's value:
// no attribute, archive only, read-only only.
inline constexpr std::array<std::uint32_t, 3> kAttributePasses{0, attribute::kArchive,
                                                               attribute::kReadOnly};

struct Catalogue {
    std::int32_t ImageCount = 0;
    std::vector<std::string> ImageFiles;  // full paths; picture number n is ImageFiles[n - 1]

    const std::string& ImageFile(int number) const { return ImageFiles[number - 1]; }
};

// How a build of the catalogue ended.
enum class CatalogueEnd {
    Complete,
    Full,        // the folder holds more pictures than the catalogue's bound: the first are kept
    Unreadable,  // the listing failed: what was listed until then is kept
    Stopped,     // the progress callback asked to stop: what was listed until then is kept
};

// Called with the number of pictures found so far, each time it grows; false stops the build.
using CatalogueProgress = std::function<bool(int found)>;

bool FolderExists(FileSystem& files, std::string_view folder);

enum class FolderScope { FolderOnly, WithSubFolders };

// Of one folder: lists it once and takes its pictures pass by pass, then kind by kind, in
// listing order, until the catalogue is full; then sorts them by path. With sub-folders: the
// pictures ListLibrary finds, in its order, which is the catalogue's.
CatalogueEnd BuildCatalogue(FileSystem& files, std::string_view folder,
                            const std::array<std::int16_t, kKindCount>& kindEnabled,
                            Catalogue& catalogue, const CatalogueProgress& progress = {},
                            FolderScope scope = FolderScope::FolderOnly);

// Called with each picture's whole path as it is found; false stops the listing.
using PictureFound = std::function<bool(std::string path)>;

// Lists the folder and each folder below it that holds pictures a user keeps (see
// IsFolderToSearch), each by its own path, following a link or junction only out of the trees
// searched so far, so that none is searched twice nor loops; and hands over their pictures in
// ascending byte order of the whole path, as they are found: each folder's entries are sorted
// by name, a sub-folder's name with the separator after it, and a sub-folder is searched where
// it comes in that order. Any attribute of the passes takes a file; the first pictures up to
// the bound with sub-folders are kept. A sub-folder that cannot be listed is passed over.
CatalogueEnd ListLibrary(FileSystem& files, std::string_view folder,
                         const std::array<std::int16_t, kKindCount>& kindEnabled,
                         const PictureFound& found);

// How many pictures a catalogue of the scope holds at most.
std::int32_t MaxImageCount(FolderScope scope);

// A sub-folder a search enters: neither hidden nor a system folder (nor named as hidden
// folders are on POSIX), nor one of the folders that systems and network drives fill with
// thumbnails and deleted files.
bool IsFolderToSearch(const FolderEntry& entry);

std::string WithTrailingSeparator(std::string_view path, PathStyle paths);

// A catalogued picture's path from the catalogue's folder: its name, after the sub-folders on
// the way.
std::string_view CataloguedName(std::string_view path, std::string_view folder);

}  // namespace vexaframe
