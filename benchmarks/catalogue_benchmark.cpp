// Building the catalogue of a full folder, against a bare listing of the same folder through
// the same file services: the build should cost little more than the listing itself.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "median.h"
#include "settings/catalogue.h"

#ifdef _WIN32
#include "platform/win32_file_system.h"
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

}  // namespace

int main() {
    const fs::path folderPath =
        fs::temp_directory_path() /
        ("vexaframe-catalogue-benchmark-" + std::to_string(std::random_device{}()));
    MakeFolder(folderPath);
    const std::string folder = Utf8(folderPath);

    NativeFileSystem files;
    const std::string everything = folder + files.Paths().separator + "*";
    const std::array<std::int16_t, vexaframe::kKindCount> allKinds{1, 1, 1, 1, 1};
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
    return catalogue.ImageCount == kPictures ? 0 : 1;
}
