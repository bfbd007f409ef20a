#include <gtest/gtest.h>

#include <tuple>

#include "settings/catalogue.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "support/ascii_code_page.h"
#include "support/fake_file_system.h"
#include "support/settings_fields.h"

namespace vexaframe {
namespace {

namespace keys = settings_keys;

const std::string kIni = "C:\\Saver\\Vexaframe.ini";
const SettingsLocation kLocation{kIni, kIni, "C:\\Saver\\Vexaframe.bmp"};
constexpr char kTemp[] = "C:\\Users\\me\\Temp";

std::string Line(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + std::string(value) + "\r\n";
}

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() { files.AddFolder("C:\\Saver"); }

    void WriteFile(const std::string& text) { files.AddFile(kIni, text); }
    void Load() {
        ReadSettings(files, codePage, kLocation, settings);
        BuildCatalogueOfSettings(files, settings, catalogue);
    }
    bool Save(const Settings& saved) { return SaveSettings(files, codePage, kLocation, saved); }

    FakeFileSystem files;
    AsciiCodePage codePage;
    Settings settings;
    Catalogue catalogue;
};

TEST_F(SettingsTest, MissingEmptyOrJunkFilesAndMissingFoldersGiveTheDefaults) {
    const std::vector<std::optional<std::string>> texts = {
        std::nullopt,
        "",
        std::string(10 * 1024 * 1024, '\xff'),
        "[Section]\r\n" + std::string(100000, 'k'),
        "[Section]\r\n" + std::string(keys::kInterval),
        "[Section]\r\n" + Line(keys::kImageFolder, "C:\\Gone")};  // a folder not there is forgotten
    for (const std::optional<std::string>& text : texts) {
        if (text) WriteFile(*text);
        settings = Settings{};
        Load();
        EXPECT_EQ(Fields(settings), Fields(Settings{1, 10, 2, {1, 1, 1, 1, 1, 1, 1, 1}, ""}));
        EXPECT_EQ(catalogue.ImageCount, 0);
    }
}

TEST_F(SettingsTest, NumbersConvertAndBadOnesKeepTheEarlierValue) {
    WriteFile("[Section]\r\n" + Line(keys::kOrderMode, "1.9") + Line(keys::kInterval, "12.5") +
              Line(keys::kTransparency, "not a number") + Line(keys::KindKey(0), " 0 ") +
              Line(keys::KindKey(1), "40000") + Line(keys::KindKey(2), "") + keys::KindKey(3) +
              "\r\n");
    settings.TransparencyMode = 7;
    settings.KindEnabled = {5, 5, 5, 5, 5, 5, 5, 5};
    settings.SubFolders = 5;
    settings.Caption = 5;
    Load();
    EXPECT_EQ(settings.OrderMode, 1);
    EXPECT_EQ(settings.IntervalSeconds, 12);
    EXPECT_EQ(settings.TransparencyMode, 7);  // did not convert: left as it was
    // A kind the file does not name is on: files written before it existed show it.
    EXPECT_EQ(settings.KindEnabled, (std::array<std::int16_t, kKindCount>{0, 5, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(settings.SubFolders, 0);  // and sub-folders are off: only the folder, as before
    EXPECT_EQ(settings.Caption, 0);     // and no caption
}

TEST_F(SettingsTest, AnUnreadableFileReadsAsMissingAndIsNeverOverwritten) {
    WriteFile("[Section]\r\n" + Line(keys::kInterval, "30"));
    files.MakeUnreadable(kIni);
    Load();
    EXPECT_EQ(settings.IntervalSeconds, 10);
    settings.IntervalSeconds = 20;
    EXPECT_FALSE(Save(settings));
    EXPECT_EQ(files.FileBytes(kIni), "[Section]\r\n" + Line(keys::kInterval, "30"));
}

// Every setting, in the order they were always written, after the lines that were there; a
// save that fails leaves the old file as it was.
TEST_F(SettingsTest, SavingWritesEverySettingInOneReplacementKeepingOtherLines) {
    const std::string mine = "; mine\r\n[Other]\r\nx = 1\r\n\r\n";
    WriteFile(mine);
    files.failWrites = true;
    EXPECT_FALSE(Save({1, 10, 2, {1, 1, 1, 1, 1, 1, 1, 1}, "C:\\Pics"}));
    EXPECT_EQ(files.FileBytes(kIni), mine);

    files.failWrites = false;
    EXPECT_TRUE(Save({1, 10, 2, {1, 1, 1, 1, 1, 1, 1, 1}, "C:\\Pics"}));
    EXPECT_EQ(files.writeCount, 1);
    EXPECT_EQ(files.FileBytes(kIni),
              mine + "[Section]\r\n" + Line(keys::kOrderMode, " 1") + Line(keys::kInterval, " 10") +
                  Line(keys::kTransparency, " 2") + Line(keys::kImageFolder, "C:\\Pics") +
                  Line(keys::KindKey(0), " 1") + Line(keys::KindKey(1), " 1") +
                  Line(keys::KindKey(2), " 1") + Line(keys::KindKey(3), " 1") +
                  Line(keys::KindKey(4), " 1") + Line(keys::KindKey(5), " 1") +
                  Line(keys::KindKey(6), " 1") + Line(keys::KindKey(7), " 1") +
                  Line(keys::kSubFolders, " 0") + Line(keys::kCaption, " 0"));
}

TEST_F(SettingsTest, SavedSettingsLoadBackIncludingFoldersTheCodePageCannotSpell) {
    const std::string longFolder = "C:\\" + std::string(300, 'p');
    const std::string japaneseFolder = "C:\\写真\\\xF0\x9F\x8C\x85";  // 写真\🌅
    for (const std::string& folder : {longFolder, japaneseFolder}) {
        files.AddFolder(folder);
        files.AddFile(folder + "\\x.gif");
        files.AddFile(folder + "\\2024\\y.gif");  // sub-folders are on
        const Settings saved{0, 45, -1, {0, 1, 0, 0, 0}, folder, 1, 1};
        EXPECT_TRUE(Save(saved));
        settings = Settings{};
        Load();
        EXPECT_EQ(Fields(settings), Fields(saved));
        EXPECT_EQ(catalogue.ImageCount, 2);
    }
    EXPECT_NE(files.FileBytes(kIni)->find("=<utf-8>C:\\写真"), std::string::npos);
}

auto Fields(const SettingsLocation& l) {
    return std::tuple(l.settingsFile, l.readFrom, l.pictureFile);
}

TEST(SettingsLocation, StaysInAWritableProgramFolderElseGoesPerUser) {
    FakeFileSystem files;
    files.AddFolder("C:\\Saver");
    files.AddFolder("C:\\Users\\me\\AppData\\Local");
    const std::string user = "C:\\Users\\me\\AppData\\Local\\Vexaframe";
    EXPECT_EQ(Fields(ChooseSettingsLocation(files, "C:\\Saver", user, kTemp)), Fields(kLocation));

    files.MakeUnwritable("C:\\Saver");
    const SettingsLocation perUser{user + "\\Vexaframe.ini", kIni, user + "\\Vexaframe.bmp"};
    EXPECT_EQ(Fields(ChooseSettingsLocation(files, "C:\\Saver", user, kTemp)), Fields(perUser));
    EXPECT_TRUE(files.CanCreateFilesIn(user));
    // The program's file is read until the user saves.
    files.AddFile(user + "\\Vexaframe.ini");
    EXPECT_EQ(ChooseSettingsLocation(files, "C:\\Saver", user, kTemp).readFrom,
              user + "\\Vexaframe.ini");
}

// Neither folder takes files: the saver still stages its pictures, the program's file is still
// read, and a save fails, leaving that file whole, rather than going anywhere unexpected.
TEST(SettingsLocation, APerUserFolderThatCannotBeUsedSendsOnlyThePictureElsewhere) {
    const std::string local = "C:\\Users\\me\\AppData\\Local";
    const std::string user = local + "\\Vexaframe";
    const std::string programSettings = "C:\\Saver\\Vexaframe.ini";
    for (const bool userFolderExists : {false, true}) {
        SCOPED_TRACE(userFolderExists ? "read-only per-user folder" : "per-user folder not made");
        FakeFileSystem files;
        files.AddFile(programSettings, "[Section]\r\n");
        files.AddFolder(kTemp);
        files.AddFolder(local);
        files.MakeUnwritable("C:\\Saver");
        if (userFolderExists) files.AddFolder(user);
        files.MakeUnwritable(userFolderExists ? user : local);

        const SettingsLocation location = ChooseSettingsLocation(files, "C:\\Saver", user, kTemp);
        EXPECT_EQ(location.settingsFile, user + "\\Vexaframe.ini");
        EXPECT_EQ(location.readFrom, programSettings);
        EXPECT_EQ(location.pictureFile, std::string(kTemp) + "\\Vexaframe.bmp");
        EXPECT_FALSE(SaveSettings(files, AsciiCodePage(), location, Settings{}));
        EXPECT_EQ(files.FileBytes(programSettings), "[Section]\r\n");

        EXPECT_EQ(ChooseSettingsLocation(files, "C:\\Saver", user, "").pictureFile,
                  user + "\\Vexaframe.bmp");
    }
}

}  // namespace
}  // namespace vexaframe
