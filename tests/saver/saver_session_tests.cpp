#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "saver/saver_session.h"
#include "settings/image_order.h"

namespace vexaframe {
namespace {

using Names = std::vector<std::string>;

// A device that can be lost as Direct3D's is. It counts the textures, vertex buffers and uploads
// it made that are still alive: its reset fails while any is, as Direct3D's does under Wine.
class LosableDevice final : public RenderDevice {
public:
    DeviceCondition condition = DeviceCondition::Ready;
    DeviceCondition resetOutcome = DeviceCondition::Ready;
    std::optional<DeviceCondition> atPresent;  // the presentation fails, leaving this condition
    int uploadSteps = 1;
    int presented = 0, resets = 0, uploadsBegun = 0;

    int Alive() const { return static_cast<int>(token_.use_count()) - 1; }

    TextureLimits Limits() const override { return {64, false}; }
    std::unique_ptr<VertexBuffer> CreateVertexBuffer(std::size_t, std::uint32_t) override {
        return std::make_unique<Buffer>(token_);
    }
    std::unique_ptr<TextureUpload> BeginTextureUpload(std::shared_ptr<const Image>,
                                                      std::unique_ptr<DeviceTexture>) override {
        ++uploadsBegun;
        return std::make_unique<Upload>(token_, uploadSteps);
    }
    bool SetVertexShader(std::uint32_t) override { return Ready(); }
    bool SetStreamSource(int, VertexBuffer*, int) override { return Ready(); }
    bool SetTransform(TransformKind, const Matrix4&) override { return Ready(); }
    bool Clear(std::uint32_t, float) override { return Ready(); }
    bool BeginScene() override { return Ready(); }
    bool EndScene() override { return Ready(); }
    bool SetMaterial(const Material&) override { return Ready(); }
    bool SetTexture(int, DeviceTexture*) override { return Ready(); }
    bool SetRenderState(RenderState, std::uint32_t) override { return Ready(); }
    bool DrawPrimitive(PrimitiveType, int, int) override { return Ready(); }
    bool LightEnable(int, bool) override { return Ready(); }
    bool Present() override {
        if (atPresent) condition = *atPresent;
        if (atPresent || !Ready()) return false;
        ++presented;
        return true;
    }
    DeviceCondition Condition() override { return condition; }
    DeviceCondition Reset() override {
        ++resets;
        if (Alive() > 0) return DeviceCondition::Lost;
        if (resetOutcome == DeviceCondition::Ready) condition = DeviceCondition::Ready;
        return resetOutcome;
    }

private:
    using Token = std::shared_ptr<const int>;
    struct Texture : DeviceTexture {
        explicit Texture(Token held) : token(std::move(held)) {}
        Token token;
    };
    struct Buffer : VertexBuffer {
        explicit Buffer(Token held) : token(std::move(held)) {}
        bool SetData(std::size_t, std::span<const std::byte>) override { return true; }
        Token token;
    };
    struct Upload : TextureUpload {
        Upload(Token held, int steps) : token(std::move(held)), stepsLeft(steps) {}
        State Step() override { return --stepsLeft > 0 ? State::Uploading : State::Finished; }
        std::unique_ptr<DeviceTexture> TakeTexture() override {
            return std::make_unique<Texture>(token);
        }
        Token token;
        int stepsLeft;
    };

    bool Ready() const { return condition == DeviceCondition::Ready; }

    Token token_ = std::make_shared<const int>(0);
};

// Records the window thread's calls as one line, "a, b, c". Picture "n" decodes to an n-pixel
// wide picture, so that what is staged says which it was.
class FakeSaverPlatform : public SaverPlatform {
public:
    std::string calls;
    bool windowsNT = true;
    bool passwordAccepted = true;
    bool stagedFileReadOnly = false;
    bool deviceTakesNoTexture = false;
    RenderDevice* device = nullptr;
    SceneResources resources;  // made on `device`; the texture as if from the staged picture
    int cursorCounter = -1;    // hidden once at start-up
    std::set<std::string> unreadable;
    Names staged;  // the staged pictures, in order
    std::vector<Monitor> monitors;

    // Preparing waits while the gate is closed, until stopped.
    void CloseGate() { SetGate(false); }
    void OpenGate() { SetGate(true); }
    bool SawStop() {
        const std::lock_guard lock(mutex_);
        return sawStop_;
    }

    void CoverPrimaryScreen() override { Call("cover screen"); }
    std::vector<Monitor> Monitors() override { return monitors; }
    void CoverMonitor(const ScreenRect& area) override {
        Call("cover " + std::to_string(area.left) + "," + std::to_string(area.top));
    }
    bool StagePending(const std::string& path, std::stop_token stop) override {
        // The stop wakes the wait under the lock, so that it cannot fall between the waiter's
        // look at the stop and its sleep (the library's own stop-token wait lost such wake-ups
        // now and then under Wine).
        const std::stop_callback wake(stop, [this] { WakeGate(); });
        std::unique_lock lock(mutex_);
        gate_.wait(lock, [&] { return gateOpen_ || stop.stop_requested(); });
        if (!gateOpen_) {
            sawStop_ = true;
            return false;
        }
        pending_ = unreadable.contains(path) ? "" : path;
        return !pending_.empty();
    }
    std::optional<Image> PendingTexturePicture() override {
        if (deviceTakesNoTexture) return std::nullopt;
        return Image(1, 1);
    }
    bool CommitStagedPicture() override {
        Call("commit");
        if (stagedFileReadOnly) return false;
        const std::lock_guard lock(mutex_);
        staged.push_back(pending_);
        return true;
    }
    void CreateRenderDevice() override { Call("device"); }
    void CreateResources() override {
        Call("resources");
        resources.Vertices = device->CreateVertexBuffer(1, 0);
        resources.Texture = device->CreateTexture(Image(1, 1));
    }
    std::unique_ptr<DeviceTexture> ChangeResources(
        bool newPicture, std::unique_ptr<DeviceTexture> texture) override {
        Call(!newPicture ? "resources, same texture"
             : texture   ? "resources, new texture"
                         : "resources, no texture");
        if (newPicture && texture) std::swap(texture, resources.Texture);
        return newPicture ? std::move(texture) : nullptr;
    }
    void ReleaseResources() override {
        Call("release resources");
        resources = SceneResources{};
    }
    void StartFrames() override { Call("start frames"); }
    void ShowTopmost() override { Call("show topmost"); }
    bool IsWindowsNT() override { return windowsNT; }
    int ShowCursor(bool show) override {
        Call(show ? "show cursor" : "hide cursor");
        return cursorCounter += show ? 1 : -1;
    }
    bool VerifyScreenSavePassword() override {
        Call("ask password");
        return passwordAccepted;
    }
    void EnableSystemKeys(bool) override { Call("system keys"); }
    void SetScreenSaveActive() override { Call("saver active"); }
    void ReleaseRenderer() override { Call("release"); }
    void EndProgram() override { Call("end"); }

private:
    void Call(const std::string& call) { calls += (calls.empty() ? "" : ", ") + call; }
    void WakeGate() {
        { const std::lock_guard lock(mutex_); }  // a waiter is asleep, or sees the stop
        gate_.notify_all();
    }
    void SetGate(bool open) {
        {
            const std::lock_guard lock(mutex_);
            gateOpen_ = open;
        }
        gate_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable gate_;
    bool gateOpen_ = true;
    bool sawStop_ = false;
    std::string pending_;
};

class SaverSessionTest : public ::testing::Test {
protected:
    // A loaded saver over the pictures "1".."pictures"; the calls of loading are forgotten.
    void Start(std::string argumentText, std::int16_t interval = 10, std::int16_t mode = 2,
               std::int16_t pictures = 3, std::int16_t orderMode = 0,
               std::set<std::string> unreadable = {}) {
        session.reset();  // no preparing thread reads the platform's settings now
        device.condition = device.resetOutcome = DeviceCondition::Ready;
        device.atPresent.reset();
        device.resets = 0;
        platform.device = &device;
        platform.calls.clear();
        platform.staged.clear();
        platform.cursorCounter = -1;
        platform.unreadable = std::move(unreadable);
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

    FrameOutcome Frame() { return session->OnFrame(device, clock, platform.resources); }

    // As the frames do until the next picture is ready.
    void FinishPreparation() {
        while (!session->NextImageReady()) {
            Frame();
            std::this_thread::yield();
        }
    }

    int Count(std::string_view call) const {
        int count = 0;
        for (auto at = platform.calls.find(call); at != std::string::npos;
             at = platform.calls.find(call, at + 1))
            ++count;
        return count;
    }

    // The ticks, counted from 1, at which the picture changed.
    std::vector<int> ChangesOver(int ticks) {
        std::vector<int> changes;
        for (int tick = 1; tick <= ticks; ++tick) {
            FinishPreparation();
            platform.calls.clear();
            session->OnSecondTick();
            if (platform.calls.find("resources") != std::string::npos) changes.push_back(tick);
        }
        return changes;
    }

    LosableDevice device;
    StillClock clock{0};
    FakeSaverPlatform platform;
    std::unique_ptr<RunState> run;
    std::unique_ptr<SaverSession> session;
};

TEST_F(SaverSessionTest, LoadingCoversTheMonitorsStagesThenMakesTheDeviceThenShows) {
    Start("/s");
    session.reset();
    platform.staged.clear();
    run->ImageOrder = {0, 2, 3, 1};
    platform.monitors = {{{-800, 0, 0, 600}}, {{0, 0, 1024, 768}, true}};
    SaverSession saver(*run, platform);
    saver.OnLoad();
    EXPECT_EQ(platform.calls,
              "cover screen, cover -800,0, commit, device, resources, start frames, "
              "show topmost");
    EXPECT_EQ(platform.staged, Names{"2"});
}

// Every tick a change: what was staged, in order.
TEST_F(SaverSessionTest, StagingWalksTheOrderAndRebuildsItAfterTheLastPosition) {
    const struct {
        std::int16_t pictures;
        int changes;
        Names staged;  // the first from loading
        std::set<std::string> unreadable;
    } cases[] = {
        {3, 5, {"1", "2", "3", "1", "2", "3"}, {}},
        {1, 3, {"1", "1", "1", "1"}, {}},     // one picture: staged again every time
        {3, 5, {"1", "3", "1", "3"}, {"2"}},  // the bitmap file keeps the previous picture
    };
    for (const auto& c : cases) {
        Start("/s", 1, 0, c.pictures, 0, c.unreadable);
        ChangesOver(c.changes);
        EXPECT_EQ(platform.staged, c.staged) << c.pictures;
    }
    EXPECT_EQ(session->State().PicturePosition, 0);  // rebuilt in the call that staged the last

    Start("/s", 1, 0, 300, 1);  // a random order is drawn anew for every cycle
    ChangesOver(599);
    const Names first(platform.staged.begin(), platform.staged.begin() + 300);
    const Names second(platform.staged.begin() + 300, platform.staged.end());
    EXPECT_NE(first, second);
}

TEST_F(SaverSessionTest, ThePictureChangesEveryIntervalOrEveryTickWhenItIsNotPositive) {
    const struct {
        std::int16_t interval;
        int ticks;
        std::vector<int> changes;
    } cases[] = {{3, 10, {3, 6, 9}}, {1, 3, {1, 2, 3}}, {0, 2, {1, 2}}, {-5, 2, {1, 2}}};
    for (const auto& c : cases) {
        Start("/s", c.interval);
        EXPECT_EQ(ChangesOver(c.ticks), c.changes) << c.interval;
    }
    Start("/s", 32767);  // the count stops at its largest value and still gets there
    session->State().TickCount = 32766;
    EXPECT_EQ(ChangesOver(2), (std::vector<int>{1}));
}

// The next picture is prepared while the current one shows; a change that comes before it is
// ready waits for it, and then happens at the first tick after it is, with a new pattern.
TEST_F(SaverSessionTest, AChangeWaitsForThePictureBeingPreparedAndTheOrderStaysTheSame) {
    Start("/s", 2);
    FinishPreparation();
    platform.CloseGate();  // from the third picture on
    EXPECT_EQ(ChangesOver(2), (std::vector<int>{2}));
    platform.calls.clear();
    session->OnSecondTick();
    session->OnSecondTick();
    session->OnSecondTick();
    Frame();
    EXPECT_FALSE(session->NextImageReady());
    EXPECT_EQ(Count("resources"), 0);

    platform.OpenGate();
    EXPECT_EQ(ChangesOver(1), (std::vector<int>{1}));  // overdue: changes at once
    EXPECT_EQ(ChangesOver(2), (std::vector<int>{2}));  // and then a whole interval again
    EXPECT_EQ(platform.staged, (Names{"1", "2", "3", "1"}));
}

// A picture that gives nothing, a staged file that cannot be replaced: the cube keeps its
// texture. A picture the device makes no texture of is reported at its change.
TEST_F(SaverSessionTest, WhatCannotBeStagedOrMadeIntoATextureLeavesTheCubeAsItWas) {
    Start("/s", 1, 2, 3, 0, {"2"});
    platform.deviceTakesNoTexture = true;  // from the third picture on
    ChangesOver(1);
    EXPECT_EQ(platform.calls, "resources, same texture");
    ChangesOver(1);
    EXPECT_EQ(platform.calls, "commit, resources, no texture");
    platform.stagedFileReadOnly = true;
    ChangesOver(1);
    EXPECT_EQ(platform.calls, "commit, resources, same texture");
    EXPECT_EQ(platform.staged, (Names{"1", "3"}));
}

// Lost before a frame, with the texture the last change retired, or during one, while the next
// picture is uploaded: frames are skipped and the device's resources go at once, so no change
// works with them; nothing is reset until the device can be. The reset finds nothing of the
// device alive, the staged picture comes back on the cube, and the next picture, prepared
// again, follows it.
TEST_F(SaverSessionTest, ALostDeviceSkipsFramesUntilResetThenShowsTheSamePictureAndGoesOn) {
    for (const bool duringUpload : {false, true}) {
        Start("/s", 2);
        device.uploadSteps = 3;
        EXPECT_EQ(ChangesOver(2), (std::vector<int>{2}));
        if (duringUpload) {
            const int uploads = device.uploadsBegun;
            while (device.uploadsBegun == uploads) {
                Frame();
                std::this_thread::yield();
            }
            device.atPresent = DeviceCondition::Lost;
        } else {
            device.condition = DeviceCondition::Lost;
        }
        const int presented = device.presented;
        platform.calls.clear();
        for (int tick = 1; tick <= 3; ++tick) {
            EXPECT_EQ(Frame(), FrameOutcome::Skipped);
            session->OnSecondTick();
        }
        EXPECT_EQ(platform.calls, "release resources");
        ASSERT_EQ(device.Alive(), 0);
        EXPECT_EQ(device.presented, presented);
        EXPECT_EQ(device.resets, 0);

        device.atPresent.reset();
        device.condition = DeviceCondition::ResetDue;
        ASSERT_EQ(Frame(), FrameOutcome::Drawn) << duringUpload;
        EXPECT_EQ(device.resets, 1);
        EXPECT_EQ(platform.calls, "release resources, resources");
        EXPECT_EQ(ChangesOver(1), (std::vector<int>{1}));  // overdue
        EXPECT_EQ(platform.calls, "commit, resources, new texture");
        EXPECT_EQ(platform.staged, (Names{"1", "2", "3"}));
    }
}

// A reset that finds the device lost again is tried at the next frame. Any other failure would
// fail every later try too, and a saver that stays black would hide it: it ends the saver.
TEST_F(SaverSessionTest, OnlyALostDeviceIsWaitedForAndEveryOtherFailureEndsTheSaver) {
    using enum DeviceCondition;
    const struct {
        DeviceCondition condition, resetOutcome;
        std::optional<DeviceCondition> atPresent;
        FrameOutcome outcome;
    } cases[] = {
        {ResetDue, Lost, {}, FrameOutcome::Skipped},
        {ResetDue, Failed, {}, FrameOutcome::Failed},
        {Failed, Ready, {}, FrameOutcome::Failed},
        {Ready, Ready, Ready, FrameOutcome::Failed},  // a frame failing on a ready device
    };
    for (const auto& c : cases) {
        Start("/s");
        device.condition = c.condition;
        device.resetOutcome = c.resetOutcome;
        device.atPresent = c.atPresent;
        EXPECT_EQ(Frame(), c.outcome);
        EXPECT_EQ(Frame(), c.outcome);
        EXPECT_EQ(device.resets, c.condition == ResetDue ? 2 : 0);
    }
}

// Ending while a picture is being prepared stops the preparation rather than waiting for it.
TEST_F(SaverSessionTest, EndingWhilePreparingStopsThePreparation) {
    Start("/s", 1);
    FinishPreparation();
    platform.CloseGate();
    EXPECT_EQ(ChangesOver(1).size(), 1u);  // the change starts the next preparation
    session->OnCharacterKey();
    EXPECT_EQ(Count("end"), 1);
    session.reset();
    EXPECT_TRUE(platform.SawStop());
    platform.OpenGate();
}

// One pattern and one blending choice per picture, new ones at every change; the blending
// choice is drawn only in random mode, and the mode reaches the frames as it is.
TEST_F(SaverSessionTest, EachPictureIsDrawnWithAPatternOfItsOwnAndBlendingOnlyInRandomMode) {
    const std::pair<std::int16_t, std::set<int>> cases[] = {
        {0, {0}}, {1, {0}}, {2, {0, 1}}, {7, {0}}};
    struct : DeviceTexture {
    } picture;
    const auto pattern = [](const SceneState& scene) {
        return std::pair(scene.PatternIndex, scene.PatternAlpha);
    };
    for (const auto& [mode, expectedAlphas] : cases) {
        Start("/s", 2, mode);
        std::set<int> indexes, alphas;
        for (int tick = 1; tick <= 1000; ++tick) {
            const SceneState before = session->Scene(&picture);
            FinishPreparation();
            session->OnSecondTick();
            const SceneState scene = session->Scene(&picture);
            if (tick % 2 == 1) {  // no change
                ASSERT_EQ(pattern(scene), pattern(before)) << tick;
            }
            indexes.insert(scene.PatternIndex);
            alphas.insert(scene.PatternAlpha);
        }
        EXPECT_EQ(indexes, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})) << mode;
        EXPECT_EQ(alphas, expectedAlphas) << mode;
        EXPECT_EQ(session->Scene(&picture).TransparencyMode, mode);
        EXPECT_EQ(session->Scene(&picture).Texture, &picture);
    }
}

// Events as "Ld" (left button down), "Ru" (right button up), ...
TEST_F(SaverSessionTest, OnlyTheLeftButtonPressedAndReleasedOnTheSurfaceIsAClick) {
    const std::pair<std::string, int> cases[] = {
        {"Ld Lu", 1}, {"Ld Lu Lu", 1}, {"Lu", 0},          {"Rd Ru", 0}, {"Md Mu", 0},
        {"Ld Ru", 0}, {"Rd Lu", 0},    {"Ld Rd Ru Lu", 1},  // the second release has no press
    };
    using enum MouseButton;
    for (const auto& [events, ends] : cases) {
        Start("/s");
        for (std::size_t at = 0; at < events.size(); at += 3) {
            const MouseButton button = events[at] == 'L'   ? Left
                                       : events[at] == 'R' ? Right
                                                           : Middle;
            events[at + 1] == 'd' ? session->OnButtonDown(button) : session->OnButtonUp(button);
        }
        EXPECT_EQ(Count("end"), ends) << events;
    }
}

TEST_F(SaverSessionTest, OnlyAMoveAlongBothAxesFromTheFirstPositionEnds) {
    Start("/s");
    for (const auto& [x, y] : {std::pair{100, 100}, {150, 100}, {100, 180}, {150, 100}})
        session->OnMouseMove(x, y);  // the first only records; the anchor follows no move
    EXPECT_TRUE(platform.calls.empty());
    session->OnMouseMove(101, 101);
    EXPECT_EQ(Count("end"), 1);

    Start("");  // started by hand: the mouse never ends it
    for (float at : {0.0f, 50.0f, 99.0f}) session->OnMouseMove(at, at);
    EXPECT_TRUE(platform.calls.empty());
}

// Each move is a window's top-left corner on the virtual screen and a position in that window:
// the primary monitor's surface at 0,0 and covers right of it (lower down) and left of it.
TEST_F(SaverSessionTest, MovesAcrossMonitorsAreMeasuredOnTheVirtualScreen) {
    constexpr ScreenPoint kPrimary{0, 0}, kRight{1024, 200}, kLeft{-1024, 0};
    using Moves = std::vector<std::pair<ScreenPoint, ScreenPoint>>;
    const std::pair<Moves, int> cases[] = {
        {{{kPrimary, {100, 100}}, {kRight, {100, 300}}}, 1},  // same x and y in either window
        {{{kPrimary, {1023, 500}}, {kRight, {0, 300}}}, 0},   // straight right over the edge
        {{{kLeft, {1000, 100}}, {kPrimary, {24, 100}}}, 0},   // straight right onto the primary
        {{{kLeft, {1000, 100}}, {kPrimary, {24, 101}}}, 1},
        {{{kRight, {0, 0}}, {kLeft, {500, 200}}}, 0},  // along one row of the screen
    };
    for (const auto& [moves, ends] : cases) {
        Start("/s");
        for (const auto& [origin, at] : moves) {
            const ScreenPoint onScreen = OnVirtualScreen(origin, at);
            session->OnMouseMove(static_cast<float>(onScreen.x), static_cast<float>(onScreen.y));
        }
        EXPECT_EQ(Count("end"), ends) << moves.back().second.x << "," << moves.back().second.y;
    }
}

// The password is asked on the non-NT platforms in /s mode only; the cursor shown for it is
// hidden again when it is refused, and just before the end after it was accepted.
TEST_F(SaverSessionTest, LeavingAsksForThePasswordOnlyWhereItMustAndRestoresTheSystem) {
    const struct {
        const char* argumentText;
        bool windowsNT, passwordAccepted;
        const char* calls;
        int cursorCount;
    } cases[] = {
        {"/s", true, true,
         "system keys, show cursor, saver active, release resources, release, end", 0},
        {"", false, true, "saver active, release resources, release, end", -1},
        {"/s", false, true,
         "show cursor, ask password, system keys, hide cursor, saver active, release resources, "
         "release, end",
         -1},
        {"/s", false, false, "show cursor, ask password, hide cursor", -1},
    };
    for (const auto& c : cases) {
        Start(c.argumentText);
        platform.windowsNT = c.windowsNT;
        platform.passwordAccepted = c.passwordAccepted;
        session->OnCharacterKey();
        EXPECT_EQ(platform.calls, c.calls) << c.argumentText << c.windowsNT;
        EXPECT_EQ(run->CursorCount, c.cursorCount) << c.argumentText << c.windowsNT;
    }
}

// Refused after a mouse move, the next move only records a new anchor; after a key or a
// click the old anchor stays.
TEST_F(SaverSessionTest, ARefusedPasswordClearsTheMouseAnchorOnlyWhenTheMouseAskedForIt) {
    Start("/s");
    platform.windowsNT = false;
    platform.passwordAccepted = false;
    session->OnMouseMove(10, 10);
    session->OnMouseMove(20, 20);
    EXPECT_FALSE(session->State().mouseAnchor.isSet);
    session->OnMouseMove(30, 30);
    EXPECT_TRUE(session->State().mouseAnchor.isSet);
    session->OnCharacterKey();
    session->OnButtonDown(MouseButton::Left);
    session->OnButtonUp(MouseButton::Left);
    EXPECT_TRUE(session->State().mouseAnchor.isSet);
    EXPECT_EQ(Count("ask password"), 3);
    EXPECT_EQ(Count("end"), 0);
}

}  // namespace
}  // namespace vexaframe
