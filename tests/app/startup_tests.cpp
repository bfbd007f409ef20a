#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "app/startup.h"

namespace vexaframe {
namespace {

using ::testing::ElementsAre;

using Calls = std::vector<std::string>;

constexpr std::int32_t kNotAWindow = 77;

// Records every request in order; the scene is set through its public fields.
class FakeStartupServices : public StartupServices {
public:
    std::set<std::string, std::less<>> openWindows;
    std::int16_t imageCount = 3;
    std::int16_t orderMode = 0;
    bool windowsNT = true;

    Calls calls;
    std::vector<std::wstring> messages;
    std::vector<std::int16_t> orderAtSaver;

    bool WindowTitledExists(std::string_view title) override {
        calls.push_back("find " + std::string(title));
        return openWindows.contains(title);
    }
    void LoadSettings(Settings& settings, Catalogue& catalogue) override {
        calls.push_back("load settings");
        settings.OrderMode = orderMode;
        catalogue.ImageCount = imageCount;
        catalogue.ImageFiles.assign(static_cast<size_t>(imageCount), "C:\\pictures\\a.bmp");
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
    int ShowCursor(bool show) override {
        calls.push_back(show ? "show cursor" : "hide cursor");
        cursorCounter_ += show ? 1 : -1;
        return cursorCounter_;
    }
    bool OpenPreview(std::int32_t hostWindow) override {
        calls.push_back("preview in " + std::to_string(hostWindow));
        return hostWindow != kNotAWindow;
    }
    void ShowSettingsDialog(RunState&) override { calls.push_back("settings dialog"); }
    void OpenSaver(RunState& run) override {
        calls.push_back("saver");
        orderAtSaver = run.ImageOrder;
    }

private:
    int cursorCounter_ = 0;
};

const Calls kLookUps{"find Vexaframe_S", "find Vexaframe_P"};

Calls LookUpsThen(const Calls& rest) {
    Calls all = kLookUps;
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}

struct Dispatch {
    StartupOutcome outcome;
    Calls calls;
};

Dispatch RunMain(FakeStartupServices& services, std::string argumentText) {
    RunState run(std::move(argumentText), UniformRandom(7));
    const StartupOutcome outcome = Main(run, services);
    return {outcome, services.calls};
}

TEST(Main, FollowsTheCommandLineTable) {
    const Calls saver = LookUpsThen({"load settings", "hide cursor", "saver"});
    const Calls dialog = LookUpsThen({"load settings", "settings dialog"});
    const Calls silentEnd = LookUpsThen({"load settings"});
    const struct {
        std::string argumentText;
        StartupOutcome outcome;
        Calls calls;
    } rows[] = {
        {"/s", StartupOutcome::RunWindows, saver},
        {"/S", StartupOutcome::RunWindows, saver},
        {"-s", StartupOutcome::RunWindows, saver},
        {"/s 1234", StartupOutcome::RunWindows, saver},
        {"", StartupOutcome::RunWindows, LookUpsThen({"load settings", "saver"})},
        {"/p 1234", StartupOutcome::RunWindows, LookUpsThen({"preview in 1234"})},
        {"/p:1234", StartupOutcome::RunWindows, LookUpsThen({"preview in 1234"})},
        {"-p 1234", StartupOutcome::RunWindows, LookUpsThen({"preview in 1234"})},
        {"/P1234", StartupOutcome::RunWindows, LookUpsThen({"preview in 234"})},
        {"/p", StartupOutcome::EndProgram, kLookUps},
        {"/p 77", StartupOutcome::EndProgram, LookUpsThen({"preview in 77"})},
        {"/c", StartupOutcome::EndProgram, dialog},
        {"/c:1234", StartupOutcome::EndProgram, dialog},
        {"-c", StartupOutcome::EndProgram, dialog},
        {"/a 1234", StartupOutcome::EndProgram, LookUpsThen({"load settings", "ask platform"})},
        {"s", StartupOutcome::EndProgram, silentEnd},
        {"x", StartupOutcome::EndProgram, silentEnd},
        {"/x", StartupOutcome::EndProgram, silentEnd},
        {"/", StartupOutcome::EndProgram, silentEnd},
        {" /s", StartupOutcome::EndProgram, silentEnd},
    };
    for (const auto& row : rows) {
        FakeStartupServices services;
        const Dispatch dispatch = RunMain(services, row.argumentText);
        EXPECT_EQ(dispatch.outcome, row.outcome) << '"' << row.argumentText << '"';
        EXPECT_EQ(dispatch.calls, row.calls) << '"' << row.argumentText << '"';
    }
}

TEST(Main, ChangesThePasswordOnlyOffNT) {
    const struct {
        std::string argumentText;
        std::string change;
    } rows[] = {
        {"/a 1234", "change password, owner 1234"},
        {"/A:1234", "change password, owner 1234"},
        {"/a", "change password, owner 0"},
        {"/a junk", "change password, owner 0"},
    };
    for (const auto& row : rows) {
        FakeStartupServices services;
        services.windowsNT = false;
        const Dispatch dispatch = RunMain(services, row.argumentText);
        EXPECT_EQ(dispatch.outcome, StartupOutcome::EndProgram);
        EXPECT_EQ(dispatch.calls, LookUpsThen({"load settings", "ask platform", row.change}))
            << row.argumentText;
    }
}

TEST(Main, EndsBesideARunningSaverOrDialogWhateverTheMode) {
    for (const char* marker : {"Vexaframe_S", "Vexaframe_P"}) {
        for (const char* argumentText : {"/s", "", "/p 1234", "/c", "/a 1234", "/x"}) {
            FakeStartupServices services;
            services.windowsNT = false;
            services.openWindows.insert(marker);
            const Dispatch dispatch = RunMain(services, argumentText);
            EXPECT_EQ(dispatch.outcome, StartupOutcome::EndProgram)
                << marker << ' ' << argumentText;
            EXPECT_EQ(dispatch.calls, kLookUps) << marker << ' ' << argumentText;
        }
    }
}

TEST(Main, AsksToChoosePicturesWhenTheCatalogueIsEmpty) {
    for (const char* argumentText : {"/s", ""}) {
        FakeStartupServices services;
        services.imageCount = 0;
        const Dispatch dispatch = RunMain(services, argumentText);
        EXPECT_EQ(dispatch.outcome, StartupOutcome::EndProgram);
        EXPECT_EQ(dispatch.calls, LookUpsThen({"load settings", "message"}));
        EXPECT_THAT(services.messages,
                    ElementsAre(L"\u8A2D\u5B9A\u753B\u9762\u3088\u308A\u753B\u50CF\uFF8C\uFF67"
                                L"\uFF72\uFF99\u3092\u6307\u5B9A\u3057\u3066\u4E0B\u3055\u3044"
                                L"\uFF01"));
    }
}

TEST(Main, RecreatesImageOrderWithOneEntryMoreThanThePicturesInTheSettingsOrder) {
    FakeStartupServices sequential;
    sequential.imageCount = 5;
    RunState run("/s", UniformRandom(7));
    run.ImageOrder.assign(40, 9);
    Main(run, sequential);
    EXPECT_THAT(sequential.orderAtSaver, ElementsAre(0, 1, 2, 3, 4, 5));

    FakeStartupServices random;
    random.imageCount = 50;
    random.orderMode = 1;
    RunState shuffled("/s", UniformRandom(7));
    Main(shuffled, random);
    std::vector<std::int16_t> inCatalogueOrder(51);
    std::iota(inCatalogueOrder.begin() + 1, inCatalogueOrder.end(), std::int16_t{1});
    EXPECT_TRUE(std::is_permutation(random.orderAtSaver.begin(), random.orderAtSaver.end(),
                                    inCatalogueOrder.begin(), inCatalogueOrder.end()));
    EXPECT_NE(random.orderAtSaver, inCatalogueOrder);
}

TEST(Main, KeepsTheCursorCounterOnlyForTheSwitchedSaver) {
    FakeStartupServices services;
    RunState switched("/s", UniformRandom(7));
    Main(switched, services);
    EXPECT_EQ(switched.CursorCount, -1);

    RunState plain("", UniformRandom(7));
    Main(plain, services);
    EXPECT_EQ(plain.CursorCount, 0);
}

}  // namespace
}  // namespace vexaframe
