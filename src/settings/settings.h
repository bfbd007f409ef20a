#pragma once
// The user's settings: the values in memory and their file.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/catalogue.h"

namespace vexaframe {

class FileSystem;
class CodePage;

struct Settings {
    std::int16_t OrderMode = 0;         // 0 sequential, anything else random
    std::int16_t IntervalSeconds = 0;   // seconds between picture changes
    std::int16_t TransparencyMode = 0;  // 0 opaque, 1 semi-transparent, 2 random by pattern
    std::array<std::int16_t, kKindCount> KindEnabled{};  // as kKindCaptions: 1 on, 0 off
    std::string ImageFolder;                             // UTF-8
    std::int16_t SubFolders = 0;  // 1 takes the pictures of the folder's sub-folders too
    std::int16_t Caption = 0;     // 1 shows each picture's date and name over the show
};

// Whether the show captions its pictures: as for a kind, only exactly 1 switches it on.
inline bool CaptionsOn(const Settings& settings) {
    return settings.Caption == 1;
}

// The folders the catalogue of the settings searches.
FolderScope ScopeOf(const Settings& settings);

// What a missing or empty setting gives.
inline constexpr std::int16_t kDefaultOrderMode = 1;
inline constexpr std::int16_t kDefaultIntervalSeconds = 10;
inline constexpr std::int16_t kDefaultTransparencyMode = 2;
inline constexpr std::int16_t kDefaultKindEnabled = 1;
inline constexpr std::int16_t kDefaultSubFolders = 0;
inline constexpr std::int16_t kDefaultCaption = 0;

// The intervals the user is offered; the file may hold any other.
inline constexpr std::int16_t kShortestInterval = 10;
inline constexpr std::int16_t kLongestInterval = 60;

// Where the settings file and the staged picture live. `readFrom` differs from
// `settingsFile` only while the per-user file does not exist yet.
struct SettingsLocation {
    std::string settingsFile;  // written by SaveSettings
    std::string readFrom;      // read by ReadSettings
    std::string pictureFile;   // the staged picture, Vexaframe.bmp
};

// The program's folder when new files can be made there, the per-user folder otherwise. Where
// the per-user folder cannot be made or written either, the staged picture goes to
// `temporaryFolder` (when there is one), so that the saver still shows pictures; the settings
// file stays named in the per-user folder, so that a save says where it failed.
SettingsLocation ChooseSettingsLocation(FileSystem& files, const std::string& programFolder,
                                        const std::string& perUserFolder,
                                        const std::string& temporaryFolder);

// Reads every setting from the file; a value that does not convert keeps its earlier value.
void ReadSettings(FileSystem& files, const CodePage& codePage, const SettingsLocation& location,
                  Settings& settings);

// True when a folder is configured and exists; one that does not is forgotten.
bool KeepFolderThatExists(FileSystem& files, Settings& settings);

// Forgets a configured folder that does not exist, and builds the catalogue of one that does.
void BuildCatalogueOfSettings(FileSystem& files, Settings& settings, Catalogue& catalogue);

// Writes every setting into the settings file, keeping every other line of it, with one
// replacement of the whole file. False when it could not be written: the old file is then
// left as it was.
[[nodiscard]] bool SaveSettings(FileSystem& files, const CodePage& codePage,
                                const SettingsLocation& location, const Settings& settings);

}  // namespace vexaframe
