#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/staged_picture.h"
#include "platform/process.h"
#include "saver/saver_session.h"
#include "settings/image_order.h"
#include "support/listing_feed.h"

namespace vexaframe {
namespace {

using Pictures = std::vector<int>;

namespace fs = std::filesystem;

constexpr SaverMode kBySystem{.endsOnMouseMove = true, .hidesPointer = true};
constexpr SaverMode kByHand{};

// Decoding waits while the gate is closed, until stopped. The gate outlives the decoder, which
// the saver owns.
class DecoderGate {
public:
    void Set(bool open) {
        {
            const std::lock_guard lock(mutex_);
            open_ = open;
        }
        changed_.notify_all();
    }
    bool SawStop() {
        const std::lock_guard lock(mutex_);
        return sawStop_;
    }
    // False when stopped at the closed gate. The stop wakes the wait under the lock, so that it
    // cannot fall between the waiter's look at the stop and its sleep.
    bool Pass(const std::stop_token& stop) {
        const std::stop_callback wake(stop, [this] {
            { const std::lock_guard lock(mutex_); }
            changed_.notify_all();
        });
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return open_ || stop.stop_requested(); });
        sawStop_ = sawStop_ || !open_;
        return open_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = true;
    bool sawStop_ = false;
};

// Picture "n" decodes to a picture n pixels wide, so that the staged file and the cube's
// texture say which picture they hold.
class FakeDecoder final : public PictureDecoder {
public:
    FakeDecoder(FileSystem& files, std::set<std::string> unreadable,
                std::shared_ptr<DecoderGate> gate)
        : files_(files), unreadable_(std::move(unreadable)), gate_(std::move(gate)) {}

    DecodeOutcome DecodeToBitmapFile(const std::string& picture, const DecodeTargets& targets,
                                     std::stop_token stop) const override {
        if (!gate_->Pass(stop)) return DecodeOutcome::Stopped;
        if (unreadable_.contains(picture)) return DecodeOutcome::NoPicture;
        const Image decoded(std::stoi(fs::path(picture).stem().string()), 1);
        const bool written =
            (!targets.texture || WriteBitmapFile(files_, targets.texture->bitmap,
                                                 TextureFor(decoded, targets.texture->limits))) &&
            WriteBitmapFile(files_, targets.bitmap, decoded);
        return written ? DecodeOutcome::Written : DecodeOutcome::Failed;
    }
    void EndAll() const override {}

private:
    FileSystem& files_;
    const std::set<std::string> unreadable_;
    std::shared_ptr<DecoderGate> gate_;
};

// What a device that can be lost as Direct3D's is does and is told, kept apart from the device,
// which the saver owns and lets go at its end. The token counts the textures, vertex buffers and
// uploads the device made that are still alive: its reset fails while any is, as Direct3D's does
// under Wine. A texture is as wide as its picture, and each frame says which one it drew.
struct DeviceRecord {
    DeviceCondition condition = DeviceCondition::Ready;
    DeviceCondition resetOutcome = DeviceCondition::Ready;
    std::optional<DeviceCondition> atPresent;  // the presentation fails, leaving this condition
    bool refusesTextures = false;
    int uploadSteps = 1;
    int presented = 0, resets = 0, uploadsBegun = 0, buffersMade = 0;
    int drawnPicture = 0;  // the width of the texture the last frame drew with
    int drawnOverlay = 0;  // and of the overlay it laid over it; 0 for none
    std::shared_ptr<const int> token = std::make_shared<const int>(0);

    int Alive() const { return static_cast<int>(token.use_count()) - 1; }
};

class LosableDevice final : public RenderDevice {
public:
    explicit LosableDevice(std::shared_ptr<DeviceRecord> record) : r_(std::move(record)) {}

    TextureLimits Limits() const override { return {64, false}; }
    TextureSize TargetSize() const override { return {800, 600}; }
    std::unique_ptr<VertexBuffer> CreateVertexBuffer(std::size_t, std::uint32_t) override {
        ++r_->buffersMade;
        return std::make_unique<Buffer>(r_->token);
    }
    std::unique_ptr<TextureUpload> BeginTextureUpload(std::shared_ptr<const Image> picture,
                                                      std::unique_ptr<DeviceTexture>) override {
        if (r_->refusesTextures) return nullptr;
        ++r_->uploadsBegun;
        return std::make_unique<Upload>(r_->token, r_->uploadSteps, picture->width);
    }
    bool SetVertexShader(std::uint32_t) override { return Ready(); }
    bool SetStreamSource(int, VertexBuffer*, int) override { return Ready(); }
    bool SetTransform(TransformKind, const Matrix4&) override { return Ready(); }
    bool Clear(std::uint32_t, float) override { return Ready(); }
    bool BeginScene() override { return Ready(); }
    bool EndScene() override { return Ready(); }
    bool SetMaterial(const Material&) override { return Ready(); }
    bool SetTexture(int, DeviceTexture* texture) override {
        r_->drawnOverlay = 0;
        r_->drawnPicture = texture != nullptr ? static_cast<Texture*>(texture)->width : 0;
        return Ready();
    }
    bool SetRenderState(RenderState, std::uint32_t) override { return Ready(); }
    bool DrawPrimitive(PrimitiveType, int, int) override { return Ready(); }
    bool LightEnable(int, bool) override { return Ready(); }
    std::unique_ptr<DeviceTexture> CreateOverlayTexture(const Image& overlay) override {
        return std::make_unique<Texture>(r_->token, overlay.width);
    }
    bool DrawOverlay(DeviceTexture* overlay, int, int, float) override {
        r_->drawnOverlay = static_cast<Texture*>(overlay)->width;
        return Ready();
    }
    bool Present() override {
        if (r_->atPresent) r_->condition = *r_->atPresent;
        if (r_->atPresent || !Ready()) return false;
        ++r_->presented;
        return true;
    }
    DeviceCondition Condition() override { return r_->condition; }
    DeviceCondition Reset() override {
        ++r_->resets;
        if (r_->Alive() > 0) return DeviceCondition::Lost;
        if (r_->resetOutcome == DeviceCondition::Ready) r_->condition = DeviceCondition::Ready;
        return r_->resetOutcome;
    }

private:
    using Token = std::shared_ptr<const int>;
    struct Texture : DeviceTexture {
        Texture(Token held, int pictureWidth) : token(std::move(held)), width(pictureWidth) {}
        Token token;
        int width;
    };
    struct Buffer : VertexBuffer {
        explicit Buffer(Token held) : token(std::move(held)) {}
        bool SetData(std::size_t, std::span<const std::byte>) override { return true; }
        Token token;
    };
    struct Upload : TextureUpload {
        Upload(Token held, int steps, int pictureWidth)
            : token(std::move(held)), stepsLeft(steps), width(pictureWidth) {}
        State Step() override { return --stepsLeft > 0 ? State::Uploading : State::Finished; }
        std::unique_ptr<DeviceTexture> TakeTexture() override {
            return std::make_unique<Texture>(token, width);
        }
        Token token;
        int stepsLeft, width;
    };

    bool Ready() const { return r_->condition == DeviceCondition::Ready; }

    std::shared_ptr<DeviceRecord> r_;
};

// Records the calls as one line, "a, b, c"; the device it makes is the test's.
class FakePlatform final : public SaverPlatform, public SystemSaverState {
public:
    std::string calls;
    std::vector<Monitor> monitors;
    std::shared_ptr<DeviceRecord> device;
    std::wstring_view fatalError;
    bool passwordAccepted = true;
    std::function<void()> duringMessage;

    std::vector<Monitor> Monitors() override { return monitors; }
    void CoverScreens(std::span<const ScreenRect> otherAreas) override {
        Call("cover screen");
        for (const ScreenRect& area : otherAreas)
            Call("cover " + std::to_string(area.left) + "," + std::to_string(area.top));
    }
    void ShowTopmost() override { Call("show topmost"); }
    void ShowPointer(bool shown) override { Call(shown ? "show pointer" : "hide pointer"); }
    DeviceChoice MakeRenderDevice() override {
        Call("device");
        if (!fatalError.empty()) return {nullptr, fatalError};
        return {std::make_unique<LosableDevice>(device), {}};
    }
    int RefreshHertz() override { return 60; }
    void ShowMessage(std::wstring_view text) override {
        Call("message " + std::string(text.begin(), text.end()));
        if (duringMessage) duringMessage();
    }
    void EndProcess(int exitCode) override { Call("end " + std::to_string(exitCode)); }
    bool VerifyPassword() override {
        Call("ask password");
        return passwordAccepted;
    }
    void RestoreFlags() override { Call("restore flags"); }

private:
    void Call(const std::string& call) { calls += (calls.empty() ? "" : ", ") + call; }
};

// Letters as wide as they are high, so that every caption has a band.
class FixedWidthText final : public TextRasteriser {
public:
    TextMask Rasterise(std::string_view text, int height, int maxWidth) override {
        const int width = std::min(maxWidth, height * static_cast<int>(text.size()));
        return {width, height,
                std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 255)};
    }
};

struct Options {
    SaverMode mode = kBySystem;
    std::int16_t interval = 10;
    std::int16_t transparency = 2;
    std::int16_t pictures = 3;
    std::int16_t orderMode = 0;
    std::int16_t caption = 0;
    std::set<std::string> unreadable{};
    bool asksPassword = false;
    std::shared_ptr<ListingFeed> listing{};  // the rest of the catalogue, while it is listed
    CatalogueListing::Lister lister{};       // the whole catalogue, listed as at the start
};

class SaverSessionTest : public ::testing::Test {
protected:
    // A started saver over the pictures "1".."pictures"; the calls of the start are forgotten.
    void Start(Options options = {}) {
        StartQuietly(std::move(options));
        platform.calls.clear();
    }

    void StartQuietly(Options options) {
        session.reset();  // no preparing thread is left to reach what is replaced
        platform.calls.clear();
        device = std::make_shared<DeviceRecord>();
        platform.device = device;
        run = std::make_unique<RunState>(UniformRandom(11));
        run->settings.IntervalSeconds = options.interval;
        run->settings.TransparencyMode = options.transparency;
        run->settings.OrderMode = options.orderMode;
        run->settings.Caption = options.caption;
        for (int n = 1; n <= options.pictures; ++n)
            run->catalogue.ImageFiles.push_back(std::to_string(n));
        run->catalogue.ImageCount = options.pictures;
        feed_ = options.listing;
        if (feed_) run->listing = ListingFeed::Listing(feed_);
        if (options.lister) {  // as the start does: the show waits for a first picture
            run->listing = std::make_unique<CatalogueListing>(std::move(options.lister));
            run->listing->WaitUntilListed(1);
            run->listing->TakeListed(run->catalogue);
        }
        const std::int32_t count = run->catalogue.ImageCount;
        run->ImageOrder.assign(static_cast<std::size_t>(count) + 1, 0);
        BuildImageOrder(options.orderMode, count, run->ImageOrder, run->random);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        gate = std::make_shared<DecoderGate>();
        auto fakeDecoder =
            std::make_unique<FakeDecoder>(*files, std::move(options.unreadable), gate);
        SaverMode mode = options.mode;
        mode.asksPassword = options.asksPassword;
        session = std::make_unique<SaverSession>(
            *run, mode, platform,
            SaverPictures{*files, StagedFile(), std::move(fakeDecoder),
                          std::make_unique<FixedWidthText>()},
            &platform);
        session->Start();
    }

    // As the frames do until the next picture is ready.
    void FinishPreparation() {
        while (!session->NextPictureReady()) {
            session->DrawFrame();
            std::this_thread::yield();
        }
    }

    int Shown() {  // the picture the cube shows
        EXPECT_EQ(session->DrawFrame(), FrameOutcome::Drawn);
        return device->drawnPicture;
    }

    void TearDown() override {
        if (feed_) feed_->End();
        session.reset();
        std::error_code ignored;
        fs::permissions(StagedFile(), fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(folder_, ignored);
    }

    std::string StagedFile() const { return (folder_ / "Vexaframe.bmp").string(); }

    int Staged() {
        const std::optional<std::string> bytes = files->ReadFile(StagedFile());
        return bytes ? DecodeBmp(*bytes)->width : 0;
    }

    // The ticks, counted from 1, at which the cube was made anew, each tick once the next picture
    // is ready; `shown` gets the picture shown after each change.
    std::vector<int> ChangesOver(int ticks, Pictures* shown = nullptr) {
        std::vector<int> changes;
        for (int tick = 1; tick <= ticks; ++tick) {
            FinishPreparation();
            const int buffers = device->buffersMade;
            session->OnSecondTick();
            if (device->buffersMade == buffers) continue;
            changes.push_back(tick);
            if (shown != nullptr) shown->push_back(Shown());
        }
        return changes;
    }

    // A key, and the frames until the change it asked for has come and the picture after it is
    // ready; the picture then shown.
    int AfterKey(ShowKey key) {
        session->OnShowKey(key);
        FinishPreparation();
        return Shown();
    }

    Pictures ShownOver(int ticks) {
        Pictures shown;
        ChangesOver(ticks, &shown);
        return shown;
    }

    int Count(std::string_view call) const {
        int count = 0;
        for (auto at = platform.calls.find(call); at != std::string::npos;
             at = platform.calls.find(call, at + 1))
            ++count;
        return count;
    }

    FakePlatform platform;
    std::shared_ptr<DeviceRecord> device;
    const fs::path folder_ =
        fs::temp_directory_path() / ("vexaframe-session-tests-" + std::to_string(ThisProcessId()));
    const std::unique_ptr<FileSystem> files = MakeSystemFileSystem();
    std::shared_ptr<DecoderGate> gate;
    std::shared_ptr<ListingFeed> feed_;
    std::unique_ptr<RunState> run;
    std::unique_ptr<SaverSession> session;  // last: it goes before what it uses
};

TEST_F(SaverSessionTest, StartingHidesThePointerCoversTheMonitorsMakesTheDeviceThenStages) {
    platform.monitors = {{{-800, 0, 0, 600}}, {{0, 0, 1024, 768}, true}};
    StartQuietly({});
    EXPECT_EQ(platform.calls, "hide pointer, cover screen, cover -800,0, device, show topmost");
    EXPECT_EQ(Staged(), 1);
    EXPECT_EQ(Shown(), 1);

    StartQuietly({.mode = kByHand});  // the pointer stays
    EXPECT_EQ(platform.calls.find("pointer"), std::string::npos);

    platform.fatalError = L"DirectX8 Object Error!";
    StartQuietly({});
    EXPECT_EQ(platform.calls,
              "hide pointer, cover screen, cover -800,0, device, message DirectX8 Object Error!, "
              "end 1");
    platform.fatalError = {};
}

TEST_F(SaverSessionTest, ThePicturesFollowTheOrderWhichIsRebuiltAfterTheLastPosition) {
    const struct {
        std::int16_t pictures;
        int changes;
        Pictures shown;
        std::set<std::string> unreadable;
    } cases[] = {
        {3, 5, {2, 3, 1, 2, 3}, {}},
        {1, 3, {1, 1, 1}, {}},           // one picture: staged again every time
        {3, 5, {1, 3, 1, 1, 3}, {"2"}},  // the staged file keeps the previous picture
    };
    for (const auto& c : cases) {
        Start(
            {.interval = 1, .transparency = 0, .pictures = c.pictures, .unreadable = c.unreadable});
        EXPECT_EQ(ShownOver(c.changes), c.shown) << c.pictures;
        EXPECT_EQ(Staged(), c.shown.back());
    }
    EXPECT_EQ(session->PicturePosition(), 0);  // rebuilt in the call that staged the last

    Start({.interval = 1, .pictures = 60, .orderMode = 1});  // a new random order each cycle
    const Pictures shown = ShownOver(120);
    EXPECT_NE(Pictures(shown.begin(), shown.begin() + 60),
              Pictures(shown.begin() + 60, shown.end()));
}

TEST_F(SaverSessionTest, ThePictureChangesEveryIntervalOrEveryTickWhenItIsNotPositive) {
    const struct {
        std::int16_t interval;
        int ticks;
        std::vector<int> changes;
    } cases[] = {{3, 10, {3, 6, 9}}, {1, 3, {1, 2, 3}}, {0, 2, {1, 2}}, {-5, 2, {1, 2}}};
    for (const auto& c : cases) {
        Start({.interval = c.interval});
        EXPECT_EQ(ChangesOver(c.ticks), c.changes) << c.interval;
    }
    Start({.interval = 32767});  // the count stops at its largest value and still gets there
    session->State().TickCount = 32766;
    EXPECT_EQ(ChangesOver(2), (std::vector<int>{1}));
}

// The next picture is prepared while the current one shows; a change that comes before it is
// ready waits for it, and then happens at the first tick after it is, with a new pattern.
TEST_F(SaverSessionTest, AChangeWaitsForThePictureBeingPreparedAndTheOrderStaysTheSame) {
    Start({.interval = 2});
    FinishPreparation();
    gate->Set(false);  // from the third picture on
    EXPECT_EQ(ChangesOver(2), (std::vector<int>{2}));
    const int buffers = device->buffersMade;
    for (int tick = 0; tick < 3; ++tick) session->OnSecondTick();
    EXPECT_EQ(Shown(), 2);
    EXPECT_FALSE(session->NextPictureReady());
    EXPECT_EQ(device->buffersMade, buffers);

    gate->Set(true);
    EXPECT_EQ(ChangesOver(1), (std::vector<int>{1}));  // overdue: changes at once
    EXPECT_EQ(Shown(), 3);
    EXPECT_EQ(ChangesOver(2), (std::vector<int>{2}));  // and then a whole interval again
    EXPECT_EQ(Shown(), 1);
}

// A picture that gives nothing, a staged file that cannot be replaced: the cube keeps its
// picture, and nothing is said. A picture the device makes no texture of is reported at its
// change, and the cube keeps its picture too. While the message waits for the user, ticks
// change nothing: a picture that keeps failing would stack up one message a second.
TEST_F(SaverSessionTest, WhatCannotBeStagedOrMadeIntoATextureLeavesTheCubeAsItWas) {
    Start({.interval = 1, .pictures = 4, .unreadable = {"2"}});
    EXPECT_EQ(ShownOver(1), Pictures{1});
    device->refusesTextures = true;  // from the third picture on
    int changesDuringMessage = 0;
    platform.duringMessage = [&] {
        const int buffers = device->buffersMade;
        for (int tick = 0; tick < 3; ++tick) session->OnSecondTick();
        changesDuringMessage = device->buffersMade - buffers;
    };
    EXPECT_EQ(ShownOver(1), Pictures{1});
    platform.duringMessage = nullptr;
    EXPECT_EQ(platform.calls, "message Texture problem!");
    EXPECT_EQ(changesDuringMessage, 0);
    EXPECT_EQ(Staged(), 3);  // the staged file has it, but the device would not take it

    device->refusesTextures = false;
    fs::permissions(StagedFile(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(ShownOver(1), Pictures{1});
    EXPECT_EQ(Staged(), 3);
    EXPECT_EQ(Count("message"), 1);
}

// A first picture that gives nothing leaves the screen black and says nothing; each next one is
// tried at the next tick until one loads, and from then on the interval holds. When the whole
// order has given nothing, the saver says so once, naming the folder, and ends.
TEST_F(SaverSessionTest, UntilAPictureLoadsTheScreenStaysBlackAndWhenNoneDoesTheSaverEnds) {
    Start({.interval = 5, .pictures = 4, .unreadable = {"1", "2"}});
    EXPECT_EQ(Shown(), 0);
    Pictures shown;
    EXPECT_EQ(ChangesOver(7, &shown), (std::vector<int>{1, 2, 7}));
    EXPECT_EQ(shown, (Pictures{0, 3, 4}));
    EXPECT_EQ(platform.calls, "");

    Start({.interval = 5, .pictures = 3, .unreadable = {"1", "2", "3"}});
    run->settings.ImageFolder = "C:\\Pictures";
    ChangesOver(2);
    EXPECT_EQ(Count("message"), 1);
    EXPECT_TRUE(platform.calls.ends_with("\nC:\\Pictures, end 1")) << platform.calls;
    EXPECT_EQ(NoPictureLoadsMessage("C:\\写真"),
              std::wstring(kNoPictureLoadsMessage) + L"\nC:\\写真");
}

// A library still being listed: the show starts with what was found, waits for the listing at
// a position it has not reached, and ends a cycle only once the listing has ended.
TEST_F(SaverSessionTest, WhileTheListingGoesOnANewPositionWaitsForItAndTheCycleForItsEnd) {
    const auto feed = std::make_shared<ListingFeed>();
    Start({.interval = 1, .pictures = 1, .listing = feed});
    EXPECT_EQ(Shown(), 1);
    for (int frame = 0; frame < 20; ++frame) session->DrawFrame();
    EXPECT_FALSE(session->NextPictureReady());
    session->OnSecondTick();
    EXPECT_EQ(Shown(), 1);

    feed->Give({"2", "3"});
    run->listing->WaitUntilListed(2);
    EXPECT_EQ(ShownOver(2), (Pictures{2, 3}));
    for (int frame = 0; frame < 20; ++frame) session->DrawFrame();
    EXPECT_FALSE(session->NextPictureReady());

    feed->Give({"4"});
    feed->End();
    EXPECT_EQ(ShownOver(5), (Pictures{4, 1, 2, 3, 4}));
    EXPECT_EQ(run->listing, nullptr);
}

// Random order draws each position from what is listed by then and not yet shown: every picture
// still comes once a cycle, the first cycle's too.
TEST_F(SaverSessionTest, InRandomOrderEveryPictureListedComesOnceACycleWhileTheListingGoesOn) {
    const auto feed = std::make_shared<ListingFeed>();
    Start({.interval = 1, .pictures = 2, .orderMode = 1, .listing = feed});
    Pictures shown{Shown()};
    feed->Give({"3", "4", "5", "6"});
    run->listing->WaitUntilListed(4);
    for (int picture : ShownOver(3)) shown.push_back(picture);
    feed->Give({"7", "8", "9", "10"});
    feed->End();
    for (int picture : ShownOver(16)) shown.push_back(picture);

    ASSERT_EQ(shown.size(), 20u);
    const Pictures all{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (const auto cycle : {shown.begin(), shown.begin() + 10}) {
        Pictures pictures(cycle, cycle + 10);
        std::ranges::sort(pictures);
        EXPECT_EQ(pictures, all);
    }
}

// Nothing loading so far proves nothing while more pictures may come.
TEST_F(SaverSessionTest, TheSaverEndsForPicturesThatDoNotLoadOnlyOnceTheListingHasEnded) {
    const auto feed = std::make_shared<ListingFeed>();
    Start({.interval = 1, .pictures = 1, .unreadable = {"1", "2"}, .listing = feed});
    feed->Give({"2"});
    run->listing->WaitUntilListed(1);
    ChangesOver(1);
    for (int tick = 0; tick < 3; ++tick) {
        for (int frame = 0; frame < 20; ++frame) session->DrawFrame();
        session->OnSecondTick();
    }
    EXPECT_EQ(Count("message"), 0);

    feed->End();
    ChangesOver(1);
    EXPECT_EQ(Count("message"), 1);
}

#ifndef _WIN32  // natively: under Wine making the library alone takes minutes
// Pictures named by their number, counted in path order: "f000/000001.bmp" and on.
fs::path MakeLibrary(const fs::path& library, int folders, int picturesPerFolder) {
    fs::remove_all(library);
    for (int folder = 0; folder < folders; ++folder) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d", folder);
        const fs::path path = library / name;
        fs::create_directories(path);
        for (int picture = 1; picture <= picturesPerFolder; ++picture) {
            std::snprintf(name, sizeof name, "%06d.bmp", folder * picturesPerFolder + picture);
            std::ofstream(path / name).put('\0');
        }
    }
    return library;
}

// The listing of a real library on disk, held after its first picture until the gate opens.
CatalogueListing::Lister HeldAfterTheFirst(FileSystem& files, std::string library,
                                           std::shared_ptr<DecoderGate> gate) {
    return [&files, library = std::move(library), gate](const PictureFound& found) {
        std::array<std::int16_t, kKindCount> kinds{};
        kinds.fill(1);
        bool first = true;
        return ListLibrary(files, library, kinds, [&](std::string path) {
            if (!found(std::move(path))) return false;
            if (first) gate->Pass({});
            first = false;
            return true;
        });
    };
}

// 100 000 pictures in 1 000 folders: the first frame shows the first picture while the listing
// is still held after it; once it goes on, the whole library comes in path order.
TEST_F(SaverSessionTest, AHundredThousandPicturesInAThousandFoldersStartAtOnce) {
    const fs::path library = MakeLibrary(folder_.string() + "-library", 1000, 100);
    const auto held = std::make_shared<DecoderGate>();
    held->Set(false);
    Start({.interval = 1,
           .pictures = 0,
           .lister = HeldAfterTheFirst(*files, library.string(), held)});
    EXPECT_EQ(Shown(), 1);
    EXPECT_EQ(run->catalogue.ImageCount, 1);
    EXPECT_NE(run->listing, nullptr);

    held->Set(true);
    while (run->listing != nullptr) {
        session->DrawFrame();
        std::this_thread::yield();
    }
    EXPECT_EQ(run->catalogue.ImageCount, 100000);
    EXPECT_TRUE(std::ranges::is_sorted(run->catalogue.ImageFiles));
    EXPECT_EQ(ShownOver(2), (Pictures{2, 3}));
    fs::remove_all(library);
}
#endif

// → at once when the next picture is ready, else with the first frame after it is; either way
// with a new pattern, and the interval counts again from the change.
TEST_F(SaverSessionTest, TheNextKeyChangesAtOnceOrAsSoonAsReadyAndTheIntervalStartsAgain) {
    Start({.interval = 5, .pictures = 4});
    FinishPreparation();
    session->OnSecondTick();
    session->OnSecondTick();
    session->OnShowKey(ShowKey::Next);
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(session->State().TickCount, 0);
    EXPECT_EQ(ChangesOver(5), (std::vector<int>{5}));

    gate->Set(false);  // the picture after 3 is still being prepared
    session->OnShowKey(ShowKey::Next);
    for (int frame = 0; frame < 10; ++frame) EXPECT_EQ(Shown(), 3);
    gate->Set(true);
    FinishPreparation();
    EXPECT_EQ(Shown(), 4);
    EXPECT_EQ(session->State().TickCount, 0);
}

// ← steps back through the pictures this run has shown, however the order was rebuilt since,
// and the changes after it go forward through them again, then on in the order.
TEST_F(SaverSessionTest, ThePreviousKeyStepsBackThroughThisRunsPicturesAndTheShowComesForward) {
    Start({.interval = 1, .pictures = 3});
    EXPECT_EQ(AfterKey(ShowKey::Previous), 1);  // nothing before the first
    EXPECT_EQ(ShownOver(2), (Pictures{2, 3}));
    EXPECT_EQ(AfterKey(ShowKey::Previous), 2);
    EXPECT_EQ(AfterKey(ShowKey::Previous), 1);
    EXPECT_EQ(AfterKey(ShowKey::Previous), 1);
    EXPECT_EQ(ShownOver(3), (Pictures{2, 3, 1}));
    EXPECT_EQ(AfterKey(ShowKey::Next), 2);

    Start({.interval = 1, .pictures = 5, .orderMode = 1});
    Pictures shown{Shown()};
    for (int picture : ShownOver(5)) shown.push_back(picture);  // a cycle and the next's first
    EXPECT_EQ(AfterKey(ShowKey::Previous), shown[4]);
    EXPECT_EQ(AfterKey(ShowKey::Previous), shown[3]);
    EXPECT_EQ(AfterKey(ShowKey::Next), shown[4]);
    EXPECT_EQ(AfterKey(ShowKey::Next), shown[5]);
    Pictures cycle(shown.begin() + 5, shown.end());
    cycle.push_back(AfterKey(ShowKey::Next));
    EXPECT_NE(cycle[0], cycle[1]);  // on in the new cycle's order
}

// Steps back asked before the first is ready go as far back; → takes one back.
TEST_F(SaverSessionTest, StepsAskedBeforeTheyShowCountEachOnce) {
    Start({.interval = 1, .pictures = 5});
    EXPECT_EQ(ShownOver(4), (Pictures{2, 3, 4, 5}));
    const auto keysWhilePreparing = [this](std::initializer_list<ShowKey> keys) {
        gate->Set(false);
        for (const ShowKey key : keys) session->OnShowKey(key);
        gate->Set(true);
        FinishPreparation();
        return Shown();
    };
    using enum ShowKey;
    EXPECT_EQ(keysWhilePreparing({Previous, Previous}), 3);
    EXPECT_EQ(keysWhilePreparing({Previous, Previous, Next}), 2);
    EXPECT_EQ(keysWhilePreparing({Previous, Next}), 2);  // back where it was: no change
    EXPECT_EQ(ShownOver(1), (Pictures{3}));
}

// Hold keeps the picture through any number of intervals while the cube turns; pressed again
// the interval starts anew. The arrows still step while held.
TEST_F(SaverSessionTest, HoldKeepsThePictureAcrossIntervalsUntilPressedAgain) {
    Start({.interval = 2, .pictures = 3});
    session->OnShowKey(ShowKey::Hold);
    EXPECT_TRUE(session->Held());
    EXPECT_EQ(ChangesOver(6), (std::vector<int>{}));
    EXPECT_GT(device->presented, 0);
    EXPECT_EQ(AfterKey(ShowKey::Next), 2);
    EXPECT_EQ(ChangesOver(4), (std::vector<int>{}));
    session->OnShowKey(ShowKey::Hold);
    EXPECT_FALSE(session->Held());
    EXPECT_EQ(ChangesOver(2), (std::vector<int>{2}));
    EXPECT_EQ(Shown(), 3);
}

// With captions on, each change brings the picture's caption, faded in and gone before the
// next; ↑ asks for it for one interval where they are off, and until the next change.
TEST_F(SaverSessionTest, CaptionsComeWithEachChangeWhereOnAndUpAsksForOneWhereOff) {
    using namespace std::chrono_literals;
    const auto now = std::chrono::steady_clock::now;
    for (const std::int16_t on : {1, 0}) {
        Start({.interval = 10, .caption = on});
        EXPECT_EQ(session->Caption(now()).shown, on ? CaptionShown::Picture : CaptionShown::None);
        std::this_thread::sleep_for(50ms);  // into the fade, far from its end
        Shown();
        EXPECT_EQ(device->drawnOverlay > 0, on == 1);
        EXPECT_EQ(session->Caption(now() + 9700ms).opacity, 0);  // gone before the change

        session->OnShowKey(ShowKey::Caption);
        const CaptionRequest asked = session->Caption(now() + 2s);
        EXPECT_EQ(asked.shown, CaptionShown::Picture);
        EXPECT_EQ(asked.opacity, 1);
        ChangesOver(10);
        EXPECT_EQ(session->Caption(now()).shown, on ? CaptionShown::Picture : CaptionShown::None);
    }
}

// Held, the pause sign shows as long as the hold lasts; ↑ shows the caption instead.
TEST_F(SaverSessionTest, WhileHeldThePauseSignShowsUntilTheCaptionIsAskedFor) {
    using namespace std::chrono_literals;
    const auto now = std::chrono::steady_clock::now;
    Start({.interval = 10, .caption = 1});
    session->OnShowKey(ShowKey::Hold);
    const CaptionRequest held = session->Caption(now() + 1h);
    EXPECT_EQ(held.shown, CaptionShown::Paused);
    EXPECT_EQ(held.opacity, 1);
    std::this_thread::sleep_for(50ms);
    Shown();
    EXPECT_GT(device->drawnOverlay, 0);
    session->OnShowKey(ShowKey::Caption);
    EXPECT_EQ(session->Caption(now() + 1h).shown, CaptionShown::Picture);
    EXPECT_EQ(session->Caption(now() + 1h).opacity, 1);
    session->OnShowKey(ShowKey::Hold);
    EXPECT_EQ(session->Caption(now() + 1h).opacity, 0);
}

// While the device is lost a key asks for the change like any other, and it comes once the
// device is back.
TEST_F(SaverSessionTest, AKeyWhileTheDeviceIsLostChangesOnceItIsBack) {
    Start({.interval = 60, .pictures = 3});
    FinishPreparation();
    device->condition = DeviceCondition::Lost;
    EXPECT_EQ(session->DrawFrame(), FrameOutcome::Skipped);
    session->OnShowKey(ShowKey::Next);
    for (int frame = 0; frame < 5; ++frame) EXPECT_EQ(session->DrawFrame(), FrameOutcome::Skipped);
    device->condition = DeviceCondition::ResetDue;
    FinishPreparation();
    EXPECT_EQ(Shown(), 2);
    EXPECT_TRUE(platform.calls.empty()) << platform.calls;
}

// Lost before a frame, with the texture the last change retired, or during one, while the next
// picture is uploaded: frames are skipped and the device's resources go at once, so no change
// works with them; nothing is reset until the device can be. The reset finds nothing of the
// device alive, the staged picture comes back on the cube, and the next picture, prepared
// again, follows it.
TEST_F(SaverSessionTest, ALostDeviceSkipsFramesUntilResetThenShowsTheSamePictureAndGoesOn) {
    for (const bool duringUpload : {false, true}) {
        Start({.interval = 2});
        device->uploadSteps = 3;
        EXPECT_EQ(ChangesOver(2), (std::vector<int>{2}));
        if (duringUpload) {
            const int uploads = device->uploadsBegun;
            while (device->uploadsBegun == uploads) {
                session->DrawFrame();
                std::this_thread::yield();
            }
            device->atPresent = DeviceCondition::Lost;
        } else {
            device->condition = DeviceCondition::Lost;
        }
        const int presented = device->presented, buffers = device->buffersMade;
        for (int tick = 1; tick <= 3; ++tick) {
            EXPECT_EQ(session->DrawFrame(), FrameOutcome::Skipped);
            session->OnSecondTick();
        }
        ASSERT_EQ(device->Alive(), 0);
        EXPECT_EQ(device->presented, presented);
        EXPECT_EQ(device->buffersMade, buffers);
        EXPECT_EQ(device->resets, 0);

        device->atPresent.reset();
        device->condition = DeviceCondition::ResetDue;
        ASSERT_EQ(Shown(), 2) << duringUpload;
        EXPECT_EQ(device->resets, 1);
        EXPECT_EQ(ChangesOver(1), (std::vector<int>{1}));  // overdue
        EXPECT_EQ(Shown(), 3);
        EXPECT_TRUE(platform.calls.empty()) << platform.calls;
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
        Start();
        device->condition = c.condition;
        device->resetOutcome = c.resetOutcome;
        device->atPresent = c.atPresent;
        EXPECT_EQ(session->DrawFrame(), c.outcome);
        EXPECT_EQ(session->DrawFrame(), c.outcome);
        EXPECT_EQ(device->resets, c.condition == ResetDue ? 2 : 0);
    }
}

// Ending while a picture is being prepared stops the preparation rather than waiting for it,
// and the pending file goes; the staged picture stays.
TEST_F(SaverSessionTest, EndingWhilePreparingStopsThePreparation) {
    Start({.interval = 1});
    FinishPreparation();
    gate->Set(false);
    EXPECT_EQ(ChangesOver(1).size(), 1u);  // the change starts the next preparation
    session->OnCharacterKey();
    EXPECT_EQ(platform.calls, "show pointer, restore flags, end 0");
    EXPECT_EQ(device->Alive(), 0);  // released before the end
    session.reset();
    EXPECT_TRUE(gate->SawStop());
    EXPECT_EQ(Staged(), 2);
    EXPECT_FALSE(files->FileExists(StagedFile() + ".next"));
}

// One pattern and one blending choice per picture, new ones at every change; the blending
// choice is drawn only in random mode, and the mode reaches the frames as it is.
TEST_F(SaverSessionTest, EachPictureIsDrawnWithAPatternOfItsOwnAndBlendingOnlyInRandomMode) {
    const std::pair<std::int16_t, std::set<int>> cases[] = {
        {0, {0}}, {1, {0}}, {2, {0, 1}}, {7, {0}}};
    const auto pattern = [](const SceneState& scene) {
        return std::pair(scene.PatternIndex, scene.PatternAlpha);
    };
    for (const auto& [mode, expectedAlphas] : cases) {
        Start({.interval = 2, .transparency = mode});
        std::set<int> indexes, alphas;
        for (int tick = 1; tick <= 300; ++tick) {
            const SceneState before = session->Scene();
            FinishPreparation();
            session->OnSecondTick();
            const SceneState scene = session->Scene();
            if (tick % 2 == 1) {  // no change
                ASSERT_EQ(pattern(scene), pattern(before)) << tick;
            }
            indexes.insert(scene.PatternIndex);
            alphas.insert(scene.PatternAlpha);
        }
        EXPECT_EQ(indexes, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})) << mode;
        EXPECT_EQ(alphas, expectedAlphas) << mode;
        EXPECT_EQ(session->Scene().TransparencyMode, mode);
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
        Start();
        for (std::size_t at = 0; at < events.size(); at += 3) {
            const MouseButton button = events[at] == 'L'   ? Left
                                       : events[at] == 'R' ? Right
                                                           : Middle;
            events[at + 1] == 'd' ? session->OnButtonDown(button) : session->OnButtonUp(button);
        }
        EXPECT_EQ(Count("end"), ends) << events;
    }
}

// Only a move along both axes from the first position ends it: the first move only records it,
// and the anchor follows no later move. Each move is a window's top-left corner on the virtual
// screen and a position in that window: the primary monitor's surface at 0,0 and covers right of
// it (lower down) and left of it.
TEST_F(SaverSessionTest, OnlyAMoveAlongBothAxesOnTheVirtualScreenEnds) {
    constexpr ScreenPoint kPrimary{0, 0}, kRight{1024, 200}, kLeft{-1024, 0};
    using Moves = std::vector<std::pair<ScreenPoint, ScreenPoint>>;
    const Moves alongOneAxis{{kPrimary, {100, 100}},
                             {kPrimary, {150, 100}},
                             {kPrimary, {100, 180}},
                             {kPrimary, {150, 100}}};
    Moves thenBoth = alongOneAxis;
    thenBoth.push_back({kPrimary, {101, 101}});
    const std::pair<Moves, int> cases[] = {
        {alongOneAxis, 0},
        {thenBoth, 1},
        {{{kPrimary, {100, 100}}, {kRight, {100, 300}}}, 1},  // same x and y in either window
        {{{kPrimary, {1023, 500}}, {kRight, {0, 300}}}, 0},   // straight right over the edge
        {{{kLeft, {1000, 100}}, {kPrimary, {24, 100}}}, 0},   // straight right onto the primary
        {{{kLeft, {1000, 100}}, {kPrimary, {24, 101}}}, 1},
        {{{kRight, {0, 0}}, {kLeft, {500, 200}}}, 0},  // along one row of the screen
    };
    for (const SaverMode mode : {kBySystem, kByHand}) {  // by hand the mouse never ends it
        for (const auto& [moves, ends] : cases) {
            Start({.mode = mode});
            for (const auto& [origin, at] : moves) {
                const ScreenPoint onScreen = OnVirtualScreen(origin, at);
                session->OnMouseMove(static_cast<float>(onScreen.x),
                                     static_cast<float>(onScreen.y));
            }
            EXPECT_EQ(Count("end"), mode.endsOnMouseMove ? ends : 0) << moves.size();
        }
    }
}

// The password is asked only where the mode says; the pointer shown for it is hidden again when
// it is refused, and just before the end after it was accepted. The device goes before the end.
TEST_F(SaverSessionTest, LeavingAsksForThePasswordOnlyWhereItMustAndRestoresTheSystem) {
    const struct {
        SaverMode mode;
        bool asksPassword, passwordAccepted;
        const char* calls;
        int cursorCount;
    } cases[] = {
        {kBySystem, false, true, "show pointer, restore flags, end 0", 0},
        {kByHand, false, true, "restore flags, end 0", 0},
        {kBySystem, true, true, "show pointer, ask password, hide pointer, restore flags, end 0",
         -1},
        {kBySystem, true, false, "show pointer, ask password, hide pointer", -1},
    };
    for (const auto& c : cases) {
        Start({.mode = c.mode, .asksPassword = c.asksPassword});
        platform.passwordAccepted = c.passwordAccepted;
        session->OnCharacterKey();
        EXPECT_EQ(platform.calls, c.calls);
        EXPECT_EQ(session->State().CursorCount, c.cursorCount) << c.calls;
        EXPECT_EQ(device->Alive() == 0, c.passwordAccepted) << c.calls;
    }
}

// Refused after a mouse move, the next move only records a new anchor; after a key or a
// click the old anchor stays.
TEST_F(SaverSessionTest, ARefusedPasswordClearsTheMouseAnchorOnlyWhenTheMouseAskedForIt) {
    Start({.asksPassword = true});
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
