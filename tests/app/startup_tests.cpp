#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/startup.h"

namespace vexaframe {
namespace {

using Calls = std::vector<std::string>;

constexpr std::int32_t kNotAWindow = 77;

// Records every request in order; the scene is set through its public fields.
class FakeStartupServices : public StartupServices {
public:
    std::set<std::string, std::less<>> openWindows;
    std::int16_t imageCount = 3;
    std::int16_t orderMode = 0;
    bool windowsNT = true;
    bool windowsCanBeMade = true;

    Calls calls;
    std::vector<std::wstring> messages;
    std::vector<std::int32_t> orderAtSaver;

    bool WindowTitledExists(std::string_view title) override {
        calls.push_back("find " + std::string(title));
        return openWindows.contains(title);
    }
    void LoadSettings(RunState& run, CatalogueUse use) override {
        calls.push_back(use == CatalogueUse::Show ? "load settings for a show" : "load settings");
        run.settings.OrderMode = orderMode;
        run.catalogue.ImageCount = imageCount;
        run.catalogue.ImageFiles.assign(static_cast<size_t>(imageCount), "C:\\pictures\\a.bmp");
    }
    bool IsWindowsNT() override {
        calls.push_back("ask platform");
        return windowsNT;
    }
    void ChangeSaverPassword(std::int32_t ownerWindow) override {
        calls.push_back("change password, owner " + std::to_string(ownerWindow));
    }
    void ShowMessage(std::wstring_view text) override {
        calls.push_back("message");
        messages.emplace_back(text);
    }
    bool OpenPreview(std::int32_t hostWindow) override {
        calls.push_back("preview in " + std::to_string(hostWindow));
        return hostWindow != kNotAWindow;
    }
    bool ShowSettingsDialog(const RunState&) override {
        calls.push_back("settings dialog");
        return windowsCanBeMade;
    }
    bool OpenSaver(RunState& run, const SaverMode& mode) override {
        calls.push_back(std::string("saver") + (mode.endsOnMouseMove ? ", mouse ends it" : "") +
                        (mode.hidesPointer ? ", pointer hidden" : "") +
                        (mode.asksPassword ? ", password" : ""));
        orderAtSaver = run.ImageOrder;
        return windowsCanBeMade;
    }
};

const Calls kLookUps{"find Vexaframe_S", "find Vexaframe_P"};

// What each command line asks of the platform after the look-ups for a running copy, and
// whether the program lives on; beside a running saver or dialog every command line only looks.
TEST(Main, FollowsTheCommandLineTable) {
    constexpr StartupOutcome kRun = StartupOutcome::RunWindows, kEnd = StartupOutcome::EndProgram;
    const std::wstring kChoosePictures = L"設定画面より画像ﾌｧｲﾙを指定して下さい！";
    const std::wstring kNoSaverWindow = L"Error! Could not create the saver window.";
    // Only a show starts with the first pictures while the listing goes on.
    const Calls saver{"load settings for a show", "ask platform",
                      "saver, mouse ends it, pointer hidden"};
    const Calls noPictures{"load settings for a show", "message"};
    const struct {
        std::string argumentText;
        StartupOutcome outcome;
        Calls calls;
        bool windowsNT = true;
        std::int16_t imageCount = 3;
        bool windowsCanBeMade = true;
        std::wstring message = {};  // what every message says
    } rows[] = {
        {"/s", kRun, saver},
        {"/S", kRun, saver},
        {"-s", kRun, saver},
        {"/s 1234", kRun, saver},
        {"/s",
         kRun,
         {"load settings for a show", "ask platform",
          "saver, mouse ends it, pointer hidden, password"},
         false},
        {"", kRun, {"load settings for a show", "saver"}},
        {"", kRun, {"load settings for a show", "saver"}, false},
        {"/s", kEnd, noPictures, true, 0, true, kChoosePictures},
        {"", kEnd, noPictures, true, 0, true, kChoosePictures},
        {"/p 1234", kRun, {"preview in 1234"}},
        {"/p:1234", kRun, {"preview in 1234"}},
        {"/P1234", kRun, {"preview in 234"}},
        {"/p", kEnd, {}},
        {"/p 77", kEnd, {"preview in 77"}},
        {"/c", kEnd, {"load settings", "settings dialog"}},
        {"/a 1234", kEnd, {"load settings", "ask platform"}},
        {"/A:1234", kEnd, {"load settings", "ask platform", "change password, owner 1234"}, false},
        {"/a", kEnd, {"load settings", "ask platform", "change password, owner 0"}, false},
        {"s", kEnd, {"load settings"}},
        {"/x", kEnd, {"load settings"}},
        {" /s", kEnd, {"load settings"}},
        // The mode's windows cannot be made: it says so and ends.
        {"/s", kEnd, {saver[0], saver[1], saver[2], "message"}, true, 3, false, kNoSaverWindow},
        {"",
         kEnd,
         {"load settings for a show", "saver", "message"},
         true,
         3,
         false,
         kNoSaverWindow},
        {"/c",
         kEnd,
         {"load settings", "settings dialog", "message"},
         true,
         3,
         false,
         L"設定画面を開けませんでした。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE('"' + row.argumentText + (row.windowsNT ? "\"" : "\" off NT"));
        for (const char* running : {"", "Vexaframe_S", "Vexaframe_P"}) {
            FakeStartupServices services;
            services.windowsNT = row.windowsNT;
            services.imageCount = row.imageCount;
            services.windowsCanBeMade = row.windowsCanBeMade;
            services.openWindows.insert(running);
            RunState run(UniformRandom(7));

            EXPECT_EQ(Main(row.argumentText, run, services), *running ? kEnd : row.outcome);

            Calls expected = kLookUps;
            if (!*running) expected.insert(expected.end(), row.calls.begin(), row.calls.end());
            EXPECT_EQ(services.calls, expected) << running;
            EXPECT_THAT(services.messages, ::testing::Each(row.message));
        }
    }
}

// Built afresh with one entry more than the pictures, whatever was there before.
TEST(Main, HandsTheSaverAnImageOrderInTheSettingsOrder) {
    FakeStartupServices sequential;
    sequential.imageCount = 5;
    RunState run(UniformRandom(7));
    run.ImageOrder.assign(40, 9);
    Main("/s", run, sequential);
    EXPECT_THAT(sequential.orderAtSaver, ::testing::ElementsAre(0, 1, 2, 3, 4, 5));

    FakeStartupServices shuffled = sequential;
    shuffled.orderMode = 1;
    Main("/s", run, shuffled);
    ASSERT_EQ(shuffled.orderAtSaver.size(), 6u);
    EXPECT_NE(shuffled.orderAtSaver, sequential.orderAtSaver);
    EXPECT_TRUE(std::is_permutation(shuffled.orderAtSaver.begin(), shuffled.orderAtSaver.end(),
                                    sequential.orderAtSaver.begin()));
}

}  // namespace
}  // namespace vexaframe
