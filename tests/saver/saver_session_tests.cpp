#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "saver/saver_session.h"
#include "settings/image_order.h"

namespace vexaframe {
namespace {

using Calls = std::vector<std::string>;

class FakeSaverPlatform : public SaverPlatform {
public:
    Calls calls;
    bool windowsNT = true;
    bool passwordAccepted = true;
    int cursorCounter = -1;  // hidden once at start-up

    void CoverPrimaryScreen() override { calls.push_back("cover screen"); }
    std::set<std::string> unreadable;
    std::vector<std::string> written;  // the pictures' paths, as their widths carry no name

    std::optional<Image> LoadPicture(const std::string& path) override {
        calls.push_back("load " + path);
        if (unreadable.contains(path)) return std::nullopt;
        loaded_ = path;
        return Image(2, 1);
    }
    void WriteStagedPicture(const Image&) override {
        calls.push_back("write");
        written.push_back(loaded_);
    }
    void CreateRenderDevice() override { calls.push_back("device"); }
    void CreateResources() override { calls.push_back("resources"); }
    void StartFrames() override { calls.push_back("start frames"); }
    void ShowTopmost() override { calls.push_back("show topmost"); }
    bool IsWindowsNT() override { return windowsNT; }
    int ShowCursor(bool show) override {
        calls.push_back(show ? "show cursor" : "hide cursor");
        return cursorCounter += show ? 1 : -1;
    }
    bool VerifyScreenSavePassword() override {
        calls.push_back("ask password");
        return passwordAccepted;
    }
    void EnableSystemKeys(bool) override { calls.push_back("system keys"); }
    void SetScreenSaveActive() override { calls.push_back("saver active"); }
    void ReleaseRenderer() override { calls.push_back("release"); }
    void EndProgram() override { calls.push_back("end"); }

private:
    std::string loaded_;
};

class SaverSessionTest : public ::testing::Test {
protected:
    void Start(std::string argumentText, std::int16_t interval = 10, std::int16_t mode = 2,
               std::int16_t pictures = 3, std::int16_t orderMode = 0) {
        platform.written.clear();
        run = std::make_unique<RunState>(std::move(argumentText), UniformRandom(11));
        run->settings.IntervalSeconds = interval;
        run->settings.TransparencyMode = mode;
        run->settings.OrderMode = orderMode;
        for (int n = 1; n <= pictures; ++n) run->catalogue.ImageFiles.push_back(std::to_string(n));
        run->catalogue.ImageCount = pictures;
        run->ImageOrder.assign(static_cast<std::size_t>(pictures) + 1, 0);
        BuildImageOrder(orderMode, pictures, run->ImageOrder, run->random);
        run->CursorCount = platform.cursorCounter;
        session = std::make_unique<SaverSession>(*run, platform);
        session->OnLoad();
        platform.calls.clear();
    }

    // The ticks, counted from 1, at which the picture changed.
    std::vector<int> ChangesOver(int ticks) {
        std::vector<int> changes;
        for (int tick = 1; tick <= ticks; ++tick) {
            platform.calls.clear();
            session->OnSecondTick();
            if (!platform.calls.empty() && platform.calls.back() == "resources")
                changes.push_back(tick);
        }
        return changes;
    }

    void Click() {
        session->OnButtonDown(SaverSession::Button::Left);
        session->OnButtonUp(SaverSession::Button::Left);
    }

    FakeSaverPlatform platform;
    std::unique_ptr<RunState> run;
    std::unique_ptr<SaverSession> session;
};

TEST_F(SaverSessionTest, LoadingStagesTheFirstPictureThenSetsUpTheDeviceThenShows) {
    Start("/s");
    run->ImageOrder = {0, 2, 3, 1};
    SaverSession saver(*run, platform);
    platform.calls.clear();
    saver.OnLoad();
    EXPECT_EQ(platform.calls, (Calls{"cover screen", "load 2", "write", "device", "resources",
                                     "start frames", "show topmost"}));
    EXPECT_EQ(saver.State().TickCount, 0);
    EXPECT_EQ(saver.State().PicturePosition, 1);
}

TEST_F(SaverSessionTest, StagingWalksTheOrderThenRebuildsItAfterTheLastPosition) {
    Start("/s", 1);
    ChangesOver(5);
    EXPECT_EQ(platform.written, (std::vector<std::string>{"1", "2", "3", "1", "2", "3"}));
    EXPECT_EQ(session->State().PicturePosition, 0);  // the order was just rebuilt

    Start("/s", 1, 0, 1);  // one picture: staged again at every change
    ChangesOver(3);
    EXPECT_EQ(platform.written, (std::vector<std::string>{"1", "1", "1", "1"}));

    Start("/s", 1, 0, 300, 1);  // a random order is drawn anew for every cycle
    ChangesOver(599);
    const std::vector<std::string> first(platform.written.begin(), platform.written.begin() + 300);
    const std::vector<std::string> second(platform.written.begin() + 300, platform.written.end());
    EXPECT_NE(first, second);
    EXPECT_EQ(std::set<std::string>(second.begin(), second.end()).size(), 300u);
}

TEST_F(SaverSessionTest, APictureThatCannotBeLoadedLeavesThePreviousBitmapFile) {
    platform.unreadable = {"2"};
    Start("/s", 1);
    platform.written.clear();
    session->OnSecondTick();
    EXPECT_EQ(platform.calls, (Calls{"load 2", "resources"}));
    EXPECT_TRUE(platform.written.empty());
    session->OnSecondTick();
    EXPECT_EQ(platform.written, (std::vector<std::string>{"3"}));
}

TEST_F(SaverSessionTest, ThePictureChangesEveryIntervalOrEveryTickWhenItIsNotPositive) {
    Start("/s", 3);
    EXPECT_EQ(ChangesOver(10), (std::vector<int>{3, 6, 9}));
    for (std::int16_t interval : {1, 0, -5}) {
        Start("/s", interval);
        EXPECT_EQ(ChangesOver(3), (std::vector<int>{1, 2, 3})) << interval;
    }
    Start("/s", 32767);  // the count stops at its largest value and still gets there
    session->State().TickCount = 32766;
    EXPECT_EQ(ChangesOver(1), (std::vector<int>{1}));
}

// The frames draw one pattern and one blending choice per picture, new ones at every change;
// the blending choice is drawn only in random mode, and the mode goes to the frames as it is.
TEST_F(SaverSessionTest, EachPictureIsDrawnWithAPatternOfItsOwnAndBlendingOnlyInRandomMode) {
    const struct {
        std::int16_t mode;
        std::set<int> alphas;
    } cases[] = {{0, {0}}, {1, {0}}, {2, {0, 1}}, {7, {0}}};
    struct : DeviceTexture {
    } picture;
    DeviceTexture* const texture = &picture;
    for (const auto& c : cases) {
        Start("/s", 2, c.mode);
        std::set<int> indexes, alphas;
        for (int tick = 1; tick <= 1000; ++tick) {
            const SceneState before = session->Scene(texture);
            session->OnSecondTick();
            const SceneState scene = session->Scene(texture);
            EXPECT_EQ(scene.TransparencyMode, c.mode);
            EXPECT_EQ(scene.Texture, texture);
            if (tick % 2 == 1) {  // no change
                EXPECT_EQ(scene.PatternIndex, before.PatternIndex);
                EXPECT_EQ(scene.PatternAlpha, before.PatternAlpha);
            }
            indexes.insert(scene.PatternIndex);
            alphas.insert(scene.PatternAlpha);
        }
        EXPECT_EQ(indexes, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})) << c.mode;
        EXPECT_EQ(alphas, c.alphas) << c.mode;
    }
}

TEST_F(SaverSessionTest, OnlyAMoveAlongBothAxesFromTheFirstPositionEnds) {
    Start("/s");
    session->OnMouseMove(100, 100);  // records only
    session->OnMouseMove(150, 100);
    session->OnMouseMove(100, 180);
    session->OnMouseMove(150, 100);  // the anchor did not follow the moves
    EXPECT_TRUE(platform.calls.empty());
    session->OnMouseMove(101, 101);
    EXPECT_EQ(platform.calls.back(), "end");

    Start("");  // started by hand: the mouse never ends it
    for (float at : {0.0f, 50.0f, 99.0f}) session->OnMouseMove(at, at);
    EXPECT_TRUE(platform.calls.empty());
    session->OnCharacterKey();
    EXPECT_EQ(platform.calls, (Calls{"saver active", "release", "end"}));
}

TEST_F(SaverSessionTest, OnlyTheLeftButtonPressedAndReleasedOnTheSurfaceIsAClick) {
    using enum SaverSession::Button;
    const struct {
        std::vector<std::pair<SaverSession::Button, bool>> events;  // button, pressed
        int ends;
    } cases[] = {
        {{{Left, true}, {Left, false}}, 1},
        {{{Left, true}, {Left, false}, {Left, false}}, 1},  // the second release has no press
        {{{Left, false}}, 0},                               // pressed elsewhere
        {{{Right, true}, {Right, false}}, 0},
        {{{Middle, true}, {Middle, false}}, 0},
        {{{Left, true}, {Right, false}}, 0},
        {{{Right, true}, {Left, false}}, 0},
        {{{Left, true}, {Right, true}, {Right, false}, {Left, false}}, 1},
    };
    for (const auto& c : cases) {
        Start("/s");
        for (const auto& [button, pressed] : c.events)
            pressed ? session->OnButtonDown(button) : session->OnButtonUp(button);
        EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "end"), c.ends)
            << &c - cases;
    }
}

TEST_F(SaverSessionTest, OnNtLeavingRestoresTheCursorAndTheSystemState) {
    Start("/s");
    Click();
    EXPECT_EQ(platform.calls,
              (Calls{"system keys", "show cursor", "saver active", "release", "end"}));
    EXPECT_EQ(run->CursorCount, 0);
}

TEST_F(SaverSessionTest, ARefusedPasswordKeepsTheSaverRunningWithTheCursorHidden) {
    platform.windowsNT = false;
    platform.passwordAccepted = false;
    Start("/s");
    session->OnMouseMove(10, 10);
    session->OnMouseMove(20, 20);
    EXPECT_EQ(platform.calls, (Calls{"show cursor", "ask password", "hide cursor"}));
    EXPECT_EQ(run->CursorCount, -1);
    EXPECT_FALSE(session->State().mouseAnchor.isSet);  // the next move only records again

    platform.calls.clear();
    session->OnMouseMove(30, 30);
    EXPECT_TRUE(platform.calls.empty());

    platform.passwordAccepted = true;  // accepted after a key: the cursor is hidden at the end
    session->OnCharacterKey();
    EXPECT_EQ(platform.calls, (Calls{"show cursor", "ask password", "system keys", "hide cursor",
                                     "saver active", "release", "end"}));
    EXPECT_TRUE(session->State().mouseAnchor.isSet);  // a key leaves the anchor alone
}

TEST_F(SaverSessionTest, WithoutTheSaverSwitchNoPasswordIsAsked) {
    platform.windowsNT = false;
    Start("");
    Click();
    EXPECT_EQ(platform.calls, (Calls{"saver active", "release", "end"}));
}

}  // namespace
}  // namespace vexaframe
