#include <gtest/gtest.h>

#include <string>

#include "settings/xdg_location.h"
#include "support/fake_file_system.h"

namespace vexaframe {
namespace {

std::string NoPrivateFolder() {
    ADD_FAILURE() << "a private folder was made where the cache folder serves";
    return {};
}

// Each case: the environment, then the folders that hold the settings and the picture.
TEST(XdgLocationTest, TheBaseDirectoriesOrTheHomeFolderHoldTheFiles) {
    const std::string config = "/home/me/.config", cache = "/home/me/.cache";
    const struct {
        XdgEnvironment environment;
        std::string settingsBase, pictureBase;
    } cases[] = {
        {{"/cfg", "/cache", "/home/me"}, "/cfg", "/cache"},
        {{"", "", "/home/me"}, config, cache},
        {{"/cfg", "", "/home/me"}, "/cfg", cache},
        {{"/cfg", "/cache", ""}, "/cfg", "/cache"},
        {{"cfg", "./cache", "/home/me"}, config, cache},  // relative ones are not to be used
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settingsBase + " " + c.pictureBase);
        FakeFileSystem files(kPosixPaths);
        files.AddFolder("/home/me");
        const std::optional<SettingsLocation> location =
            XdgSettingsLocation(files, c.environment, NoPrivateFolder);
        ASSERT_TRUE(location);
        EXPECT_EQ(location->settingsFile, c.settingsBase + "/vexaframe/Vexaframe.ini");
        EXPECT_EQ(location->readFrom, location->settingsFile);
        EXPECT_EQ(location->pictureFile, c.pictureBase + "/vexaframe/Vexaframe.bmp");
        // The picture's folder is made; the settings' is left to whoever writes the file.
        EXPECT_TRUE(files.CanCreateFilesIn(c.pictureBase + "/vexaframe"));
        EXPECT_FALSE(files.CanCreateFilesIn(c.settingsBase + "/vexaframe"));
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
