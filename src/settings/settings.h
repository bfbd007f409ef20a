#pragma once
// The user's settings: the values in memory and their file.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexaframe {

class FileSystem;
class CodePage;
struct Catalogue;

struct Settings {
    std::int16_t OrderMode = 0;         // 0 sequential, anything else random
    std::int16_t IntervalSeconds = 0;   // seconds between picture changes
    std::int16_t TransparencyMode = 0;  // 0 opaque, 1 semi-transparent, 2 random by pattern
    std::array<std::int16_t, 4> KindEnabled{};  // .bmp .gif .jpg .wmf: 1 on, 0 off
    std::string ImageFolder;            // UTF-8
};

// Where the settings file and the staged picture live. `readFrom` differs from
// `settingsFile` only while the per-user file does not exist yet.
struct SettingsLocation {
    std::string settingsFile;  // written by SaveSettings
    std::string readFrom;      // read by LoadSettings
    std::string pictureFile;   // the staged picture, Vexaframe.bmp
};

// The program's folder when new files can be made there, the per-user folder otherwise.
SettingsLocation ChooseSettingsLocation(FileSystem& files, const std::string& programFolder,
                                        const std::string& perUserFolder);

// The value of `key` in `section`, as raw code-page bytes; empty when absent.
std::string ReadIniValue(FileSystem& files, std::string_view section, std::string_view key,
                         const std::string& file);
// Sets `key` in `section` to `value`, keeping every other line of the file as it was.
// Returns false when the file could not be written (the old file is then left whole).
bool WriteIniValue(FileSystem& files, std::string_view section, std::string_view key,
                   std::string_view value, const std::string& file);

// Reads every setting (a value that does not convert keeps its earlier value) and builds
// the catalogue when the configured folder exists.
void LoadSettings(FileSystem& files, const CodePage& codePage, const SettingsLocation& location,
                  Settings& settings, Catalogue& catalogue);

// Writes every setting; the interval comes from the dialog's spinner and the folder from its
// folder label, which also becomes `ImageFolder`.
void SaveSettings(FileSystem& files, const CodePage& codePage, const SettingsLocation& location,
                  Settings& settings, std::int16_t intervalSpinnerValue,
                  std::string_view folderLabel);

}  // namespace vexaframe
