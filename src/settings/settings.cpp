#include "settings/settings.h"

#include <optional>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "settings/catalogue.h"
#include "settings/number_text.h"
#include "settings/profile_file.h"
#include "settings/settings_keys.h"

namespace vexaframe {

namespace {

namespace keys = settings_keys;

// A folder the code page cannot spell is stored as UTF-8 behind this mark; "<" cannot
// start a Windows path, so no folder written by the platform is ever taken for one.
constexpr std::string_view kUtf8Mark = "<utf-8>";

std::string FolderValue(const CodePage& codePage, std::string_view folder) {
    if (std::optional<std::string> encoded = codePage.FromUtf8(folder)) return *encoded;
    return std::string(kUtf8Mark) + std::string(folder);
}

std::string FolderFromValue(const CodePage& codePage, std::string_view value) {
    if (value.starts_with(kUtf8Mark)) return std::string(value.substr(kUtf8Mark.size()));
    return codePage.ToUtf8(value);
}

std::string InFolder(const FileSystem& files, const std::string& folder, std::string_view name) {
    return folder + files.Paths().separator + std::string(name);
}

// An empty value gives the default; one that does not convert leaves the setting alone.
void ReadNumber(FileSystem& files, const std::string& file, std::string_view key,
                Rounding rounding, std::int16_t fallback, std::int16_t& setting) {
    const std::string text = ReadIniValue(files, keys::kSection, key, file);
    if (text.empty()) {
        setting = fallback;
    } else if (std::optional<std::int16_t> value = NumberFromText(text, rounding)) {
        setting = *value;
    }
}

void ReadImageFolder(FileSystem& files, const CodePage& codePage, const std::string& file,
                     Settings& settings, Catalogue& catalogue) {
    const std::string value = ReadIniValue(files, keys::kSection, keys::kImageFolder, file);
    settings.ImageFolder = value.empty() ? std::string() : FolderFromValue(codePage, value);
    if (settings.ImageFolder.empty()) return;
    if (!FolderExists(files, settings.ImageFolder)) {
        settings.ImageFolder.clear();
        return;
    }
    BuildCatalogue(files, settings.ImageFolder, settings.KindEnabled, catalogue);
}

}  // namespace

SettingsLocation ChooseSettingsLocation(FileSystem& files, const std::string& programFolder,
                                        const std::string& perUserFolder) {
    const std::string programSettings = InFolder(files, programFolder, keys::kSettingsFileName);
    if (files.CanCreateFilesIn(programFolder)) {
        return {programSettings, programSettings,
                InFolder(files, programFolder, keys::kPictureFileName)};
    }
    files.CreateFolders(perUserFolder);
    const std::string userSettings = InFolder(files, perUserFolder, keys::kSettingsFileName);
    return {userSettings, files.FileExists(userSettings) ? userSettings : programSettings,
            InFolder(files, perUserFolder, keys::kPictureFileName)};
}

std::string ReadIniValue(FileSystem& files, std::string_view section, std::string_view key,
                         const std::string& file) {
    const std::optional<std::string> text = files.ReadFile(file);
    if (!text) return {};
    return FindProfileValue(*text, section, key).value_or(std::string());
}

bool WriteIniValue(FileSystem& files, std::string_view section, std::string_view key,
                   std::string_view value, const std::string& file) {
    const std::optional<std::string> text = files.ReadFile(file);
    if (!text && files.FileExists(file)) return false;  // unreadable: never overwrite it
    const std::string old = text.value_or(std::string());
    const std::string updated = WithProfileValue(old, section, key, value);
    if (text && updated == old) return true;
    return files.WriteFileAtomically(file, updated);
}

void LoadSettings(FileSystem& files, const CodePage& codePage, const SettingsLocation& location,
                  Settings& settings, Catalogue& catalogue) {
    const std::string& file = location.readFrom;
    ReadNumber(files, file, keys::kOrderMode, Rounding::Floor, 1, settings.OrderMode);
    ReadNumber(files, file, keys::kInterval, Rounding::HalfToEven, 10, settings.IntervalSeconds);
    ReadNumber(files, file, keys::kTransparency, Rounding::HalfToEven, 2,
               settings.TransparencyMode);
    for (int index = 0; index < 4; ++index) {
        ReadNumber(files, file, keys::KindKey(index), Rounding::Floor, 1,
                   settings.KindEnabled[static_cast<size_t>(index)]);
    }
    catalogue.ImageCount = 0;
    ReadImageFolder(files, codePage, file, settings, catalogue);
}

void SaveSettings(FileSystem& files, const CodePage& codePage, const SettingsLocation& location,
                  Settings& settings, std::int16_t intervalSpinnerValue,
                  std::string_view folderLabel) {
    const std::string& file = location.settingsFile;
    const auto write = [&](std::string_view key, std::string_view value) {
        WriteIniValue(files, keys::kSection, key, value, file);
    };
    write(keys::kOrderMode, NumberText(settings.OrderMode));
    write(keys::kInterval, NumberText(intervalSpinnerValue));
    write(keys::kTransparency, NumberText(settings.TransparencyMode));
    settings.ImageFolder = std::string(folderLabel);
    write(keys::kImageFolder, FolderValue(codePage, settings.ImageFolder));
    for (int index = 0; index < 4; ++index) {
        write(keys::KindKey(index), NumberText(settings.KindEnabled[static_cast<size_t>(index)]));
    }
}

}  // namespace vexaframe
