#include "saver/saver_session.h"

#include <limits>

#include "settings/image_order.h"

namespace vexaframe {

SaverSession::SaverSession(RunState& run, SaverPlatform& platform)
    : run_(run),
      platform_(platform),
      preparer_([this](const std::string& file, std::stop_token stop) {
          return Prepare(file, std::move(stop));
      }) {}

// The first picture is staged before anything shows; each later one is prepared while the
// one before it shows.
void SaverSession::OnLoad() {
    platform_.CoverPrimaryScreen();
    for (const ScreenRect& area : CoverAreas(platform_.Monitors())) platform_.CoverMonitor(area);
    state_.PatternIndex = 0;
    state_.PicturePosition = 0;
    DrawPattern();
    const std::string* first = PictureFileAt(1);
    StageNextImage(first != nullptr && platform_.StagePending(*first, {}));
    platform_.CreateRenderDevice();
    platform_.CreateResources();
    platform_.StartFrames();
    state_.TickCount = 0;
    platform_.ShowTopmost();
    PrepareNextImage();
}

FrameOutcome SaverSession::OnFrame(RenderDevice& device, FrameClock& clock,
                                   const SceneResources& resources) {
    DeviceCondition condition = RegainDevice(device);
    if (condition == DeviceCondition::Ready) {
        StepNextImage(device);
        if (RenderFrame(device, clock, Scene(resources.Texture.get()))) return FrameOutcome::Drawn;
        condition = device.Condition();  // it may have been lost during the frame
        if (condition == DeviceCondition::Ready) return FrameOutcome::Failed;
    }
    if (condition == DeviceCondition::Failed) return FrameOutcome::Failed;
    DropDeviceResources();
    return FrameOutcome::Skipped;
}

// A picture whose texture cannot be made is ready too: its change reports the problem.
void SaverSession::StepNextImage(RenderDevice& device) {
    if (next_.ready) return;
    if (upload_) {
        if (upload_->Step() == TextureUpload::State::Uploading) return;
        next_.texture = upload_->TakeTexture();
        upload_.reset();
        next_.ready = true;
        return;
    }
    std::optional<PreparedPicture> prepared = preparer_.TakeFinished();
    if (!prepared) return;
    next_.staged = prepared->staged;
    if (prepared->staged && prepared->texturePicture) {
        upload_ = device.BeginTextureUpload(
            std::make_shared<const Image>(std::move(*prepared->texturePicture)),
            std::move(retired_));
    }
    next_.ready = upload_ == nullptr;
}

// A reset due is made with the resources gone. A reset that fails because the device was lost
// again is tried again at a later frame; any other failure would fail every later try as well,
// and a saver that stays black hides it, so it is reported.
DeviceCondition SaverSession::RegainDevice(RenderDevice& device) {
    DeviceCondition condition = device.Condition();
    if (condition == DeviceCondition::ResetDue) {
        DropDeviceResources();
        condition = device.Reset();
    }
    if (condition == DeviceCondition::Ready && deviceLost_) {
        deviceLost_ = false;
        platform_.CreateResources();
    }
    return condition;
}

// At once, so that no picture change meanwhile works with the lost device's textures. The next
// picture's texture goes with them, so that picture is prepared again; keeping its picture in
// memory for a loss that seldom comes would double what the saver holds.
void SaverSession::DropDeviceResources() {
    if (deviceLost_) return;
    deviceLost_ = true;
    const bool prepared = upload_ || next_.ready;
    ReleaseDeviceObjects();
    if (prepared) PrepareNextImage();
}

void SaverSession::ReleaseDeviceObjects() {
    platform_.ReleaseResources();
    upload_.reset();
    retired_.reset();
    next_ = NextImage{};
}

void SaverSession::OnSecondTick() {
    if (state_.TickCount < std::numeric_limits<std::int16_t>::max()) ++state_.TickCount;
    if (state_.TickCount < run_.settings.IntervalSeconds || !next_.ready) return;
    state_.TickCount = 0;
    DrawPattern();
    const bool newPicture = StageNextImage(next_.staged);
    retired_ = platform_.ChangeResources(newPicture, std::move(next_.texture));
    next_ = NextImage{};
    PrepareNextImage();
}

// The file the order holds at `position`; nothing outside the order or the catalogue.
const std::string* SaverSession::PictureFileAt(std::int16_t position) const {
    const auto& order = run_.ImageOrder;
    if (position < 1 || static_cast<std::size_t>(position) >= order.size()) return nullptr;
    const std::int16_t number = order[static_cast<std::size_t>(position)];
    if (number < 1 || static_cast<std::size_t>(number) > run_.catalogue.ImageFiles.size())
        return nullptr;
    return &run_.catalogue.ImageFile(number);
}

// Moves on to the next position of the order, whose picture the pending bitmap file holds
// unless it could not be loaded. True when it became the staged picture; otherwise the staged
// file keeps the previous picture, which is then shown again.
bool SaverSession::StageNextImage(bool pendingHoldsPicture) {
    const std::int16_t position = ++state_.PicturePosition;
    const bool staged = pendingHoldsPicture && platform_.CommitStagedPicture();
    if (position >= run_.catalogue.ImageCount) {
        BuildImageOrder(run_.settings.OrderMode, run_.catalogue.ImageCount, run_.ImageOrder,
                        run_.random);
        state_.PicturePosition = 0;
    }
    return staged;
}

// The order is already rebuilt when the last position was staged, so the next file is known.
void SaverSession::PrepareNextImage() {
    const std::string* file = PictureFileAt(static_cast<std::int16_t>(state_.PicturePosition + 1));
    preparer_.Start(file != nullptr ? *file : std::string());
}

// On the preparing thread: only the file's name is shared with the window's thread.
PreparedPicture SaverSession::Prepare(const std::string& file, std::stop_token stop) {
    PreparedPicture prepared;
    prepared.staged = !file.empty() && platform_.StagePending(file, stop);
    if (prepared.staged && !stop.stop_requested())
        prepared.texturePicture = platform_.PendingTexturePicture();
    return prepared;
}

// Both draws come from the program's one generator, so they are independent of each other.
void SaverSession::DrawPattern() {
    if (run_.settings.TransparencyMode == 2)
        state_.PatternAlpha = static_cast<std::int16_t>(run_.random.Below(2));
    state_.PatternIndex = static_cast<std::int16_t>(run_.random.Below(11));
}

// Only a real movement ends the saver: the first event only records where the mouse is,
// and a later one ends it when it has moved along both axes.
void SaverSession::OnMouseMove(float x, float y) {
    if (run_.ArgumentText.empty()) return;
    MouseAnchor& anchor = state_.mouseAnchor;
    if (!anchor.isSet) {
        anchor = {x, y, true};
        return;
    }
    if (x != anchor.x && y != anchor.y) {
        anchor.isSet = false;
        EndSaver();
    }
}

// A click is the left button pressed and then released on the drawing surface; a release
// alone, of a press that began elsewhere, is none.
void SaverSession::OnButtonDown(MouseButton button) {
    if (button == MouseButton::Left) leftButtonDown_ = true;
}

void SaverSession::OnButtonUp(MouseButton button) {
    if (button != MouseButton::Left) return;
    const bool clicked = leftButtonDown_;
    leftButtonDown_ = false;
    if (clicked) EndSaver();
}

SceneState SaverSession::Scene(DeviceTexture* texture) const {
    return {state_.PatternIndex, state_.PatternAlpha, run_.settings.TransparencyMode, texture};
}

void SaverSession::ShowCursorAsCounted() {
    run_.CursorCount = platform_.ShowCursor(run_.CursorCount != 0);
}

void SaverSession::EndSaver() {
    if (StartedWithS() && !platform_.IsWindowsNT()) {
        ShowCursorAsCounted();
        if (!platform_.VerifyScreenSavePassword()) {
            run_.CursorCount = platform_.ShowCursor(false);
            return;
        }
    }
    if (StartedWithS()) {
        platform_.EnableSystemKeys(true);
        ShowCursorAsCounted();
    }
    platform_.SetScreenSaveActive();
    // Every texture and buffer goes before the device, so that the device is really gone, its
    // threads and drawing context with it, before the process ends: ending with them alive
    // crashes now and then in the graphics driver's own clean-up.
    ReleaseDeviceObjects();
    platform_.ReleaseRenderer();
    platform_.EndProgram();
}

}  // namespace vexaframe
