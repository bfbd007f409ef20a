#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/utf8_code_page.h"
#include "settings/catalogue.h"
#include "settings/module_options.h"
#include "support/fake_file_system.h"
#include "support/settings_fields.h"

namespace vexaframe {
namespace {

using Arguments = std::vector<std::string_view>;
using Report = std::tuple<std::optional<int>, std::string, std::string>;

const std::string kLongArgument = "x" + std::string(100, 'y');

// The arguments that give an option its default: "-name value", or "-name"/"-no-name".
std::vector<std::string> DefaultArguments(const OptionEntry& entry) {
    const std::string name(entry.name);
    if (entry.kind == OptionKind::Switch)
        return {(DefaultText(entry) == "on" ? "-" : "-no-") + name};
    return {"-" + name, DefaultText(entry)};
}

ParsedOptions Parse(const Arguments& arguments, std::string_view screensaverWindow = {}) {
    return ParseModuleOptions(arguments, screensaverWindow);
}

TEST(ModuleOptionsTest, ArgumentListsGiveTheirOptions) {
    struct Case {
        Arguments arguments;
        std::string_view screensaverWindow;
        ModuleOptions expected;
    };
    const std::vector<Case> cases = {
        {{}, "", {}},
        {{"-root"}, "", {.window = WindowTarget::Root}},
        {{"--window-id", "0x1A00003"},
         "",
         {.window = WindowTarget::GivenWindow, .windowId = 0x1A00003}},
        {{"-window-id", "4294967295"},
         "",
         {.window = WindowTarget::GivenWindow, .windowId = 0xFFFFFFFF}},
        {{}, "0X60000f", {.window = WindowTarget::GivenWindow, .windowId = 0x60000F}},
        // -root is XScreenSaver's window when it names one, as its own modules take it.
        {{"-root"}, "0x600008", {.window = WindowTarget::GivenWindow, .windowId = 0x600008}},
        // Another option chooses the window over the environment; the last option wins.
        {{"-window"}, "0x600007", {.window = WindowTarget::OwnWindow}},
        {{"-root", "-window-id", "7"},
         "0x600007",
         {.window = WindowTarget::GivenWindow, .windowId = 7}},
        {{"-window-id", "5", "-root"}, "", {.window = WindowTarget::Root, .windowId = 5}},
        {{"-root", "--window"}, "junk", {.window = WindowTarget::OwnWindow}},
        {{"-fps", "-delay", "20000", "--software"},
         "",
         {.showFrameRate = true, .delayMicroseconds = 20000, .device = DevicePreference::Software}},
        {{"-fps", "--no-fps", "-delay", "100000", "-delay", "0", "-software", "-no-software"},
         "",
         {}},
        // Of the device options the last wins; a -no- form takes back only its own.
        {{"-software", "--opengl"}, "", {.device = DevicePreference::OpenGl}},
        {{"-opengl", "-software"}, "", {.device = DevicePreference::Software}},
        {{"-opengl", "-no-software"}, "", {.device = DevicePreference::OpenGl}},
        {{"-software", "-opengl", "-no-opengl"}, "", {}},
        {{"-folder", "/home/me/Pictures", "-interval", "60", "-order", "sequential",
          "--transparency", "semi", "-no-gif", "--wmf", "-no-wmf", "-bmp", "-no-png", "-no-heic",
          "--webp", "-subfolders", "-caption"},
         "",
         {.settings = {.imageFolder = "/home/me/Pictures",
                       .orderMode = 0,
                       .intervalSeconds = 60,
                       .transparencyMode = 1,
                       .kindEnabled = {1, 0, std::nullopt, 0, 0, 1, 0, std::nullopt},
                       .subFolders = 1,
                       .caption = 1}}},
        // A value that looks like an option is still the value.
        {{"-folder", "-root"}, "", {.settings = {.imageFolder = "-root"}}},
    };
    for (const Case& c : cases) {
        const ParsedOptions parsed = Parse(c.arguments, c.screensaverWindow);
        SCOPED_TRACE(testing::PrintToString(c.arguments) + " " + std::string(c.screensaverWindow));
        ASSERT_EQ(parsed.outcome, OptionsOutcome::Run) << parsed.error;
        EXPECT_TRUE(parsed.options == c.expected);
        EXPECT_EQ(EndsOnInput(parsed.options), c.expected.window == WindowTarget::CoverScreen);
    }
}

TEST(ModuleOptionsTest, FaultsNameTheOptionAndWhatItTakesOnOneLine) {
    const std::vector<std::tuple<Arguments, std::string_view, std::string>> cases = {
        {{"-bogus"}, "", "unknown option \"-bogus\""},
        {{"-int", "10"}, "", "unknown option \"-int\""},
        {{"-no-root"}, "", "unknown option \"-no-root\""},
        {{"-root=1"}, "", "unknown option \"-root=1\""},
        {{"pictures"}, "", "unexpected argument \"pictures\""},
        {{"-interval"}, "", "-interval takes a number from 10 to 60; none was given"},
        {{"-folder"}, "", "-folder takes a path; none was given"},
        {{"--interval", "9"}, "", "--interval takes a number from 10 to 60, not \"9\""},
        {{"-interval", "-10"}, "", "-interval takes a number from 10 to 60, not \"-10\""},
        {{"-interval", "12.5"}, "", "-interval takes a number from 10 to 60, not \"12.5\""},
        {{"-delay", "99999999999999999999999"},
         "",
         "-delay takes a number from 0 to 100000, not \"99999999999999999999999\""},
        {{"-order", "Random"}, "", "-order takes sequential or random, not \"Random\""},
        {{"-transparency", ""}, "", "-transparency takes opaque, semi or random, not \"\""},
        {{"-window-id", "0"}, "", "-window-id takes a window number, decimal or 0x hex, not \"0\""},
        {{"-window-id", "0x"},
         "",
         "-window-id takes a window number, decimal or 0x hex, not \"0x\""},
        {{"-window-id", "0x100000000"},
         "",
         "-window-id takes a window number, decimal or 0x hex, not \"0x100000000\""},
        {{"-fps"},
         "0x12z",
         "XSCREENSAVER_WINDOW takes a window number, decimal or 0x hex, not \"0x12z\""},
        // The first fault is the one told.
        {{"-order", "x", "-bogus"}, "", "-order takes sequential or random, not \"x\""},
        // Bytes that would break the line, or make it endless, are not shown as they are.
        {{"-order", "a\nb\rc\x1b"}, "", "-order takes sequential or random, not \"a?b?c?\""},
        {{std::string_view("-\0x", 3)}, "", "unknown option \"-?x\""},
        {{"-folder", "/p", kLongArgument},
         "",
         "unexpected argument \"x" + std::string(39, 'y') + "...\""},
    };
    for (const auto& [arguments, screensaverWindow, message] : cases) {
        const ParsedOptions parsed = Parse(arguments, screensaverWindow);
        SCOPED_TRACE(testing::PrintToString(arguments));
        EXPECT_EQ(parsed.outcome, OptionsOutcome::Fail);
        EXPECT_EQ(parsed.error, message);
        EXPECT_EQ(parsed.error.find_first_of("\r\n"), std::string::npos);
    }
}

TEST(ModuleOptionsTest, HelpAndFaultsEndTheProgramWithTheirStatus) {
    const auto report = [](const Arguments& arguments) {
        std::ostringstream out;
        std::ostringstream err;
        const std::optional<int> status = ReportHelpOrError(Parse(arguments), out, err);
        return Report(status, out.str(), err.str());
    };
    const std::string usage = UsageText();

    EXPECT_EQ(report({"-root", "-fps"}), Report(std::nullopt, "", ""));
    for (const Arguments& help : {Arguments{"-help"}, Arguments{"-root", "--help", "-bogus"}}) {
        EXPECT_EQ(report(help), Report(0, usage, ""));
    }
    EXPECT_EQ(
        report({"-interval", "5"}),
        Report(1, "", "vexaframe: -interval takes a number from 10 to 60, not \"5\"\n" + usage));
}

// The settings file and the options spell the same settings.
class ModuleSettingsTest : public ::testing::Test {
protected:
    static constexpr char kIni[] = "/home/me/.config/vexaframe/Vexaframe.ini";
    const SettingsLocation kLocation{kIni, kIni, "/home/me/.cache/vexaframe/Vexaframe.bmp"};

    ModuleSettingsTest() {
        files.AddFile("/pictures/a.jpg");
        files.AddFile("/pictures/b.gif");
        files.AddFile("/pictures/c.bmp");
        files.AddFolder("/home/me/.config/vexaframe");
    }

    std::pair<Settings, Catalogue> Load(const Arguments& arguments) {
        const ParsedOptions parsed = Parse(arguments);
        EXPECT_EQ(parsed.outcome, OptionsOutcome::Run) << parsed.error;
        RunState run(UniformRandom(1));
        folderAsked = LoadModuleSettings(files, codePage, kLocation, parsed.options.settings, run);
        return {run.settings, run.catalogue};
    }

    FakeFileSystem files{kPosixPaths};
    Utf8CodePage codePage;
    std::string folderAsked;
};

TEST_F(ModuleSettingsTest, OptionsGiveWhatTheSameSettingsInTheFileGive) {
    const Settings saved{0, 25, 1, {0, 1, 1, 0, 0, 1, 0, 0}, "/pictures"};
    ASSERT_TRUE(SaveSettings(files, codePage, kLocation, saved));
    const auto [fromFile, fileCatalogue] = Load({});

    ASSERT_TRUE(files.RemoveFile(kIni));
    const auto [fromOptions, optionCatalogue] = Load(
        {"-order", "sequential", "-interval", "25", "-transparency", "semi", "-no-bmp", "-gif",
         "-jpg", "-no-wmf", "-no-png", "-webp", "-no-heic", "-no-avif", "-folder", "/pictures"});

    EXPECT_EQ(Fields(fromFile), Fields(saved));
    EXPECT_EQ(Fields(fromOptions), Fields(fromFile));
    EXPECT_EQ(optionCatalogue.ImageFiles, fileCatalogue.ImageFiles);
    EXPECT_EQ(optionCatalogue.ImageCount, 2);
    EXPECT_EQ(folderAsked, "/pictures");
}

// The defaults the help shows: the options' own, and the settings of a missing file.
TEST_F(ModuleSettingsTest, TheTablesDefaultsAreThoseOfNoOptionsAndAMissingFile) {
    std::vector<std::string> defaults;
    for (const OptionEntry& entry : ModuleOptionTable()) {
        if (entry.group != OptionGroup::Frames && entry.group != OptionGroup::Setting) continue;
        for (std::string& argument : DefaultArguments(entry)) defaults.push_back(argument);
    }
    ModuleOptions options = Parse({defaults.begin(), defaults.end()}).options;
    EXPECT_EQ(Fields(Load({defaults.begin(), defaults.end()}).first), Fields(Load({}).first));
    options.settings = {};
    EXPECT_TRUE(options == ModuleOptions{});
}

TEST_F(ModuleSettingsTest, OptionsReplaceTheFilesSettingsAndTheCatalogueFollows) {
    ASSERT_TRUE(SaveSettings(files, codePage, kLocation,
                             Settings{1, 30, 2, {1, 1, 1, 1, 1, 1, 1, 1}, "/gone"}));

    const auto [settings, catalogue] = Load({"-folder", "/pictures", "-no-jpg", "-interval", "40"});
    EXPECT_EQ(Fields(settings), Fields(Settings{1, 40, 2, {1, 1, 0, 1, 1, 1, 1, 1}, "/pictures"}));
    EXPECT_EQ(catalogue.ImageFiles,
              (std::vector<std::string>{"/pictures/b.gif", "/pictures/c.bmp"}));

    // A folder that does not exist is forgotten, from the file or from an option, but the one
    // asked for is named.
    EXPECT_EQ(Load({}).first.ImageFolder, "");
    const auto [missing, noPictures] = Load({"-folder", "/nowhere"});
    EXPECT_EQ(missing.ImageFolder, "");
    EXPECT_EQ(noPictures.ImageCount, 0);
    EXPECT_EQ(folderAsked, "/nowhere");
}

}  // namespace
}  // namespace vexaframe
