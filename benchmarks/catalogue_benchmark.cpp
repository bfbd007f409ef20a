// Building the catalogue of a full folder, and of a photo library of year and month folders
// with sub-folders on, against a bare listing of the same folders through the same file
// services and against the system's own listing (find natively, FindFirstFileW on Windows): a
// build should cost little more than the listing.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "median.h"
#include "settings/catalogue.h"
#include "settings/catalogue_listing.h"

#ifdef _WIN32
#include "platform/win32_file_system.h"
#include "platform/win32_handles.h"
using NativeFileSystem = vexaframe::Win32FileSystem;
#else
#include "platform/posix_file_system.h"
using NativeFileSystem = vexaframe::PosixFileSystem;
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vexaframe::Median;

constexpr int kPictures = vexaframe::kMaxImageCount;
constexpr int kOtherFiles = 10000;
constexpr int kRepetitions = 9;

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Names as a camera, a scanner and a user would give them, over all four kinds.
std::string PictureName(int i) {
    static const char* const kStems[] = {"IMG_", "Scan ", "holiday-", "\xE5\x86\x99\xE7\x9C\x9F"};
    static const char* const kExtensions[] = {".jpg", ".bmp", ".GIF", ".wmf", ".JPG", ".gif"};
    return kStems[i % 4] + std::to_string(i * 7919 % 100003) + kExtensions[i % 6];
}

std::string OtherName(int i) {
    static const char* const kExtensions[] = {".txt", ".jpeg", ".png", ".bmp.bak", ".ini"};
    return "other" + std::to_string(i) + kExtensions[i % 5];
}

void MakeFolder(const fs::path& folder) {
    fs::create_directories(folder);
    for (int i = 0; i < kPictures; ++i) std::ofstream(folder / FsPath(PictureName(i)));
    for (int i = 0; i < kOtherFiles; ++i) std::ofstream(folder / OtherName(i));
}

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

constexpr int kLibraryFolders = 1000;
constexpr int kPicturesPerFolder = 100;
constexpr int kLibraryRepetitions = 5;

// Year, month and event folders, as a photo manager lays out a library, each with a
// camera's pictures and the odd other file.
fs::path LibraryFolder(const fs::path& library, int i) {
    return library / std::to_string(2000 + i / 40) / (std::to_string(i / 4 % 10 + 1)) /
           ("event " + std::to_string(i));
}

void MakeLibrary(const fs::path& library) {
    for (int i = 0; i < kLibraryFolders; ++i) {
        const fs::path folder = LibraryFolder(library, i);
        fs::create_directories(folder);
        for (int j = 0; j < kPicturesPerFolder; ++j)
            std::ofstream(folder / ("IMG_" + std::to_string(j) + (j % 3 ? ".jpg" : ".HEIC")));
        std::ofstream(folder / "Thumbs.db");
    }
}

// Every entry below the folder, through the file services as a search of sub-folders uses them:
// what any search must do.
std::size_t ListRecursively(NativeFileSystem& files, const std::string& folder) {
    std::size_t listed = 0;
    std::vector<std::string> subFolders;
    static_cast<void>(files.ListMatchesCheaply(
        folder + files.Paths().separator + "*", [&](const vexaframe::FolderEntry& entry) {
            ++listed;
            if ((entry.attributes & vexaframe::attribute::kDirectory) != 0 && entry.name != "." &&
                entry.name != "..")
                subFolders.push_back(folder + files.Paths().separator + entry.name);
            return true;
        }));
    for (const std::string& subFolder : subFolders) listed += ListRecursively(files, subFolder);
    return listed;
}

#ifdef _WIN32
// Every entry below the folder through the system's calls on wide paths and nothing else, as
// find lists natively.
std::size_t ListWithTheSystem(const std::wstring& folder) {
    std::size_t listed = 0;
    std::vector<std::wstring> subFolders;
    WIN32_FIND_DATAW found;
    const vexaframe::OwnedSearch search = vexaframe::TakeSearch(
        FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return 0;
    do {
        ++listed;
        const std::wstring_view name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." &&
            name != L"..")
            subFolders.push_back(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    for (const std::wstring& subFolder : subFolders) listed += ListWithTheSystem(subFolder);
    return listed;
}
#endif

// The median of the runs of `work`, after one that warms the caches.
double MedianMilliseconds(int repetitions, const std::function<void()>& work) {
    std::vector<double> times;
    for (int round = 0; round <= repetitions; ++round) {
        const Clock::time_point start = Clock::now();
        work();
        if (round > 0) times.push_back(Milliseconds(Clock::now() - start));
    }
    return Median(times);
}

// The bytes the program holds on the heap, where the C library says; 0 elsewhere.
std::size_t HeapInUse() {
#ifdef __GLIBC__
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

// As a show starts: the time until the catalogue holds a first picture, and until the listing
// beside it has handed over the whole library; medians over the runs after a warming one.
struct ShowStart {
    double firstPicture = 0, wholeLibrary = 0;
    std::int32_t pictures = 0;
    std::size_t heapBytes = 0;  // what the whole catalogue holds, where the heap says
};

ShowStart StartShow(NativeFileSystem& files, const vexaframe::Settings& library) {
    std::vector<double> firsts, wholes;
    ShowStart start;
    for (int round = 0; round <= kLibraryRepetitions; ++round) {
        vexaframe::Settings settings = library;
        vexaframe::Catalogue catalogue;
        std::unique_ptr<vexaframe::CatalogueListing> listing;
        const std::size_t heapBefore = HeapInUse();
        const Clock::time_point begun = Clock::now();
        vexaframe::StartCatalogueOfSettings(files, settings, catalogue, listing);
        const Clock::time_point first = Clock::now();
        while (listing && !listing->TakeListed(catalogue)) listing->WaitUntilListed(1 << 30);
        if (round == 0) continue;
        firsts.push_back(Milliseconds(first - begun));
        wholes.push_back(Milliseconds(Clock::now() - begun));
        start.pictures = catalogue.ImageCount;
        start.heapBytes = HeapInUse() - heapBefore;
    }
    start.firstPicture = Median(firsts);
    start.wholeLibrary = Median(wholes);
    return start;
}

bool BenchmarkLibrary(NativeFileSystem& files,
                      const std::array<std::int16_t, vexaframe::kKindCount>& allKinds) {
    const fs::path libraryPath =
        fs::temp_directory_path() /
        ("vexaframe-library-benchmark-" + std::to_string(std::random_device{}()));
    MakeLibrary(libraryPath);
    const std::string library = Utf8(libraryPath);
    std::size_t listed = 0;
    vexaframe::Catalogue catalogue;
    const double listing =
        MedianMilliseconds(kLibraryRepetitions, [&] { listed = ListRecursively(files, library); });
    const double build = MedianMilliseconds(kLibraryRepetitions, [&] {
        vexaframe::BuildCatalogue(files, library, allKinds, catalogue, {},
                                  vexaframe::FolderScope::WithSubFolders);
    });
    std::printf("library: %d folders, entries listed: %zu\n", kLibraryFolders, listed);
    std::printf("library catalogue entries:        %d\n", catalogue.ImageCount);
    std::printf("library bare listing (median):    %.1f ms\n", listing);
    std::printf("library BuildCatalogue (median):  %.1f ms\n", build);
    std::printf("library ratio build / listing:    %.2f\n", build / listing);
    vexaframe::Settings settings;
    settings.ImageFolder = library;
    settings.KindEnabled = allKinds;
    settings.SubFolders = 1;
    const ShowStart show = StartShow(files, settings);
    std::printf("show start, first picture (median): %.1f ms\n", show.firstPicture);
    std::printf("show start, whole library (median): %.1f ms, %d pictures\n", show.wholeLibrary,
                show.pictures);
    std::printf("library ratio whole / listing:    %.2f\n", show.wholeLibrary / listing);
    if (show.heapBytes > 0) {
        std::printf("catalogue memory:                 %.0f bytes a picture\n",
                    static_cast<double>(show.heapBytes) / show.pictures);
    }
#ifndef _WIN32
    const std::string find = "find '" + library + "' > /dev/null";
    const double found = MedianMilliseconds(kLibraryRepetitions, [&] {
        if (std::system(find.c_str()) != 0) std::printf("find failed\n");
    });
    std::printf("library find (median):            %.1f ms\n", found);
    std::printf("library ratio build / find:       %.2f\n", build / found);
    std::printf("library ratio whole / find:       %.2f\n", show.wholeLibrary / found);
#else
    std::size_t systemListed = 0;
    const double system = MedianMilliseconds(
        kLibraryRepetitions, [&] { systemListed = ListWithTheSystem(libraryPath.wstring()); });
    std::printf("library FindFirstFileW entries:   %zu\n", systemListed);
    std::printf("library FindFirstFileW (median):  %.1f ms\n", system);
    std::printf("library ratio build / FindFirstFileW: %.2f\n", build / system);
    std::printf("library ratio whole / FindFirstFileW: %.2f\n", show.wholeLibrary / system);
#endif
    std::error_code ignored;
    fs::remove_all(libraryPath, ignored);
    return catalogue.ImageCount == kLibraryFolders * kPicturesPerFolder;
}

}  // namespace

int main() {
    const fs::path folderPath =
        fs::temp_directory_path() /
        ("vexaframe-catalogue-benchmark-" + std::to_string(std::random_device{}()));
    MakeFolder(folderPath);
    const std::string folder = Utf8(folderPath);

    NativeFileSystem files;
    const std::string everything = folder + files.Paths().separator + "*";
    std::array<std::int16_t, vexaframe::kKindCount> allKinds{};
    allKinds.fill(1);
    std::vector<double> listingTimes;
    std::vector<double> buildTimes;
    std::size_t listed = 0;
    vexaframe::Catalogue catalogue;
    for (int round = 0; round <= kRepetitions; ++round) {  // round 0 warms the caches
        const Clock::time_point listingStart = Clock::now();
        listed = 0;
        files.ListMatches(everything, [&listed](const vexaframe::FolderEntry&) {
            ++listed;
            return true;
        });
        const Clock::time_point buildStart = Clock::now();
        vexaframe::BuildCatalogue(files, folder, allKinds, catalogue);
        const Clock::time_point end = Clock::now();
        if (round == 0) continue;
        listingTimes.push_back(Milliseconds(buildStart - listingStart));
        buildTimes.push_back(Milliseconds(end - buildStart));
    }
    std::error_code ignored;
    fs::remove_all(folderPath, ignored);

    const double listing = Median(listingTimes);
    const double build = Median(buildTimes);
    std::printf("folder entries listed:  %zu\n", listed);
    std::printf("catalogue entries:      %d\n", catalogue.ImageCount);
    std::printf("bare listing (median):  %.1f ms\n", listing);
    std::printf("BuildCatalogue (median): %.1f ms\n", build);
    std::printf("ratio build / listing:  %.2f\n", build / listing);
    const bool libraryComplete = BenchmarkLibrary(files, allKinds);
    return catalogue.ImageCount == kPictures && libraryComplete ? 0 : 1;
}
