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

std::string ValueOf(std::string_view settingsText, std::string_view key) {
    return FindProfileValue(settingsText, keys::kSection, key).value_or(std::string());
}

// An empty value gives the default; one that does not convert leaves the setting alone.
void ReadNumber(std::string_view settingsText, std::string_view key, Rounding rounding,
                std::int16_t fallback, std::int16_t& setting) {
    const std::string text = ValueOf(settingsText, key);
    if (text.empty()) {
        setting = fallback;
    } else if (std::optional<std::int16_t> value = NumberFromText(text, rounding)) {
        setting = *value;
    }
}

void ReadImageFolder(const CodePage& codePage, std::string_view settingsText, Settings& settings) {
    const std::string value = ValueOf(settingsText, keys::kImageFolder);
    settings.ImageFolder = value.empty() ? std::string() : FolderFromValue(codePage, value);
}

// The settings file's text with every setting written in, in the order the keys were
// always written.
std::string WithSettings(std::string text, const CodePage& codePage, const Settings& settings) {
    const auto write = [&text](std::string_view key, std::string_view value) {
        text = WithProfileValue(text, keys::kSection, key, value);
    };
    write(keys::kOrderMode, NumberText(settings.OrderMode));
    write(keys::kInterval, NumberText(settings.IntervalSeconds));
    write(keys::kTransparency, NumberText(settings.TransparencyMode));
    write(keys::kImageFolder, FolderValue(codePage, settings.ImageFolder));
    for (std::size_t index = 0; index < kKindCount; ++index)
        write(keys::KindKey(static_cast<int>(index)), NumberText(settings.KindEnabled[index]));
    write(keys::kSubFolders, NumberText(settings.SubFolders));
    write(keys::kCaption, NumberText(settings.Caption));
    return text;
}

}  // namespace

FolderScope ScopeOf(const Settings& settings) {
    // As for a kind, only exactly 1 switches it on.
    return settings.SubFolders == 1 ? FolderScope::WithSubFolders : FolderScope::FolderOnly;
}

SettingsLocation ChooseSettingsLocation(FileSystem& files, const std::string& programFolder,
                                        const std::string& perUserFolder,
                                        const std::string& temporaryFolder) {
    const std::string programSettings = InFolder(files, programFolder, keys::kSettingsFileName);
    if (files.CanCreateFilesIn(programFolder)) {
        return {programSettings, programSettings,
                InFolder(files, programFolder, keys::kPictureFileName)};
    }
    const bool userFolderWritable =
        files.CreateFolders(perUserFolder) && files.CanCreateFilesIn(perUserFolder);
    const std::string& pictureFolder =
        userFolderWritable || temporaryFolder.empty() ? perUserFolder : temporaryFolder;
    const std::string userSettings = InFolder(files, perUserFolder, keys::kSettingsFileName);
    return {userSettings, files.FileExists(userSettings) ? userSettings : programSettings,
            InFolder(files, pictureFolder, keys::kPictureFileName)};
}

void ReadSettings(FileSystem& files, const CodePage& codePage, const SettingsLocation& location,
                  Settings& settings) {
    const std::string text = files.ReadFile(location.readFrom).value_or(std::string());
    ReadNumber(text, keys::kOrderMode, Rounding::Floor, kDefaultOrderMode, settings.OrderMode);
    ReadNumber(text, keys::kInterval, Rounding::HalfToEven, kDefaultIntervalSeconds,
               settings.IntervalSeconds);
    ReadNumber(text, keys::kTransparency, Rounding::HalfToEven, kDefaultTransparencyMode,
               settings.TransparencyMode);
    for (std::size_t index = 0; index < kKindCount; ++index) {
        ReadNumber(text, keys::KindKey(static_cast<int>(index)), Rounding::Floor,
                   kDefaultKindEnabled, settings.KindEnabled[index]);
    }
    ReadNumber(text, keys::kSubFolders, Rounding::Floor, kDefaultSubFolders, settings.SubFolders);
    ReadNumber(text, keys::kCaption, Rounding::Floor, kDefaultCaption, settings.Caption);
    ReadImageFolder(codePage, text, settings);
}

bool KeepFolderThatExists(FileSystem& files, Settings& settings) {
    if (settings.ImageFolder.empty()) return false;
    if (FolderExists(files, settings.ImageFolder)) return true;
    settings.ImageFolder.clear();
    return false;
}

void BuildCatalogueOfSettings(FileSystem& files, Settings& settings, Catalogue& catalogue) {
    catalogue = Catalogue{};
    if (!KeepFolderThatExists(files, settings)) return;
    BuildCatalogue(files, settings.ImageFolder, settings.KindEnabled, catalogue, {},
                   ScopeOf(settings));
}

bool SaveSettings(FileSystem& files, const CodePage& codePage, const SettingsLocation& location,
                  const Settings& settings) {
    const std::string& file = location.settingsFile;
    const std::optional<std::string> old = files.ReadFile(file);
    if (!old && files.FileExists(file)) return false;  // unreadable: never overwrite it
    const std::string updated = WithSettings(old.value_or(std::string()), codePage, settings);
    if (old && updated == *old) return true;
    return files.WriteFileAtomically(file, updated);
}

}  // namespace vexaframe
