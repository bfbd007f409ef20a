#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "settings/xdg_location.h"
#include "support/fake_file_system.h"

namespace vexaframe {
namespace {

std::string NoPrivateFolder() {
    ADD_FAILURE() << "a private folder was made where the cache folder serves";
    return {};
}

auto Fields(const SettingsLocation& location) {
    return std::tie(location.settingsFile, location.readFrom, location.pictureFile);
}

TEST(XdgLocationTest, TheBaseDirectoriesOrTheHomeFolderHoldTheFiles) {
    struct Case {
        XdgEnvironment environment;
        std::string settingsFile;
        std::string pictureFile;
    };
    const std::vector<Case> cases = {
        {{"/cfg", "/cache", "/home/me"},
         "/cfg/vexaframe/Vexaframe.ini",
         "/cache/vexaframe/Vexaframe.bmp"},
        {{"", "", "/home/me"},
         "/home/me/.config/vexaframe/Vexaframe.ini",
         "/home/me/.cache/vexaframe/Vexaframe.bmp"},
        {{"/cfg", "", "/home/me"},
         "/cfg/vexaframe/Vexaframe.ini",
         "/home/me/.cache/vexaframe/Vexaframe.bmp"},
        {{"/cfg", "/cache", ""}, "/cfg/vexaframe/Vexaframe.ini", "/cache/vexaframe/Vexaframe.bmp"},
        // Relative base directories are not to be used.
        {{"cfg", "./cache", "/home/me"},
         "/home/me/.config/vexaframe/Vexaframe.ini",
         "/home/me/.cache/vexaframe/Vexaframe.bmp"},
    };
    for (const Case& c : cases) {
        FakeFileSystem files(kPosixPaths);
        files.AddFolder("/home/me");
        const std::optional<SettingsLocation> location =
            XdgSettingsLocation(files, c.environment, NoPrivateFolder);
        ASSERT_TRUE(location) << c.settingsFile;
        EXPECT_EQ(Fields(*location), std::tie(c.settingsFile, c.settingsFile, c.pictureFile));

        // The picture's folder is made; the settings' is left to whoever writes the file.
        const std::string pictureFolder = c.pictureFile.substr(0, c.pictureFile.rfind('/'));
        const std::string settingsFolder = c.settingsFile.substr(0, c.settingsFile.rfind('/'));
        EXPECT_TRUE(files.CanCreateFilesIn(pictureFolder)) << pictureFolder;
        EXPECT_FALSE(files.CanCreateFilesIn(settingsFolder)) << settingsFolder;
    }
}

TEST(XdgLocationTest, NoAbsoluteFolderForEitherFileGivesNoLocation) {
    for (const XdgEnvironment& environment :
         {XdgEnvironment{}, XdgEnvironment{"/cfg", "", ""}, XdgEnvironment{"", "/cache", "~"},
          XdgEnvironment{"", "", "home/me"}}) {
        FakeFileSystem files(kPosixPaths);
        EXPECT_FALSE(XdgSettingsLocation(files, environment, NoPrivateFolder)) << environment.home;
    }
}

// A cache folder that cannot be written would fail every staging.
TEST(XdgLocationTest, AnUnwritableCacheFolderStagesInAPrivateFolderWhereOneCanBeMade) {
    for (const std::string privateFolder : {"/tmp/vexaframe-a1b2c3", ""}) {
        FakeFileSystem files(kPosixPaths);
        files.AddFolder("/cache/vexaframe");
        files.MakeUnwritable("/cache/vexaframe");
        const std::optional<SettingsLocation> location =
            XdgSettingsLocation(files, {"/cfg", "/cache", ""}, [&] { return privateFolder; });
        ASSERT_TRUE(location);
        EXPECT_EQ(location->pictureFile, privateFolder.empty() ? "/cache/vexaframe/Vexaframe.bmp"
                                                               : privateFolder + "/Vexaframe.bmp");
        EXPECT_EQ(location->settingsFile, "/cfg/vexaframe/Vexaframe.ini");
    }
}

}  // namespace
}  // namespace vexaframe
