#include "saver/saver_session.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/wide_text.h"
#include "saver/caption.h"

namespace vexaframe {

namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();

}  // namespace

SaverSession::SaverSession(RunState& run, const SaverMode& mode, SaverPlatform& platform,
                           SaverPictures pictures, SystemSaverState* system)
    : run_(run),
      mode_(mode),
      platform_(platform),
      system_(system),
      show_(run, std::move(pictures), [this](std::wstring_view text) { ShowMessage(text); }) {}

void SaverSession::Start() {
    if (mode_.hidesPointer) ShowCursor(false);
    platform_.CoverScreens(CoverAreas(platform_.Monitors()));
    state_.PatternIndex = 0;
    ChooseNewPattern();
    DeviceChoice choice = platform_.MakeRenderDevice();
    if (!choice.fatalError.empty()) {
        EndWithMessage(choice.fatalError);
        return;
    }
    show_.UseDevice(std::move(choice.device), platform_.RefreshHertz(), mode_.framePause);
    show_.StageFirstPicture();
    state_.TickCount = 0;
    platform_.ShowTopmost();
    captionSince_ = std::chrono::steady_clock::now();
    show_.PrepareNextPicture();
}

// A message box's own loop goes on dispatching the ticks: a picture that keeps failing would
// stack up one box a second. Until a first picture is staged, each next one is tried as soon
// as it is ready; when the whole order has given none, the saver cannot show anything.
void SaverSession::OnSecondTick() {
    if (messageShown_ || held_) return;
    if (state_.TickCount < std::numeric_limits<std::int16_t>::max()) ++state_.TickCount;
    const bool due = state_.TickCount >= run_.settings.IntervalSeconds || !show_.PictureStaged();
    if (due && show_.NextPictureReady()) ChangePicture();
}

void SaverSession::ChangePicture() {
    state_.TickCount = 0;
    changeAsked_ = false;
    captionAsked_ = false;
    captionSince_ = std::chrono::steady_clock::now();
    ChooseNewPattern();
    show_.ShowNextPicture();
    if (show_.NoPictureLoads()) EndWithMessage(NoPictureLoadsMessage(run_.settings.ImageFolder));
}

// A held picture stays against the interval, not against a key.
void SaverSession::OnShowKey(ShowKey key) {
    switch (key) {
        case ShowKey::Next:
            changeAsked_ = show_.PrepareLaterPicture();
            break;
        case ShowKey::Previous:
            changeAsked_ = show_.PrepareEarlierPicture() || changeAsked_;
            break;
        case ShowKey::Hold:
            held_ = !held_;
            state_.TickCount = 0;
            captionAsked_ = false;
            captionSince_ = std::chrono::steady_clock::now();
            break;
        case ShowKey::Caption:
            captionAsked_ = true;
            captionSince_ = std::chrono::steady_clock::now();
            break;
    }
    ChangeIfAsked();
}

void SaverSession::ChangeIfAsked() {
    if (changeAsked_ && !messageShown_ && show_.NextPictureReady()) ChangePicture();
}

// The frames move the next picture on; a change a key asked for comes with the first frame
// after it is ready.
PictureShow::DueFrame SaverSession::DrawDueFrame() {
    PictureShow::DueFrame frame =
        show_.DrawDueFrame(Scene(), Caption(std::chrono::steady_clock::now()));
    ChangeIfAsked();
    return frame;
}

FrameOutcome SaverSession::DrawFrame() {
    const FrameOutcome outcome =
        show_.DrawFrame(Scene(), Caption(std::chrono::steady_clock::now()));
    ChangeIfAsked();
    return outcome;
}

// Both draws come from the program's one generator, so they are independent of each other.
void SaverSession::ChooseNewPattern() {
    if (run_.settings.TransparencyMode == 2)
        state_.PatternAlpha = static_cast<std::int16_t>(run_.random.Below(2));
    state_.PatternIndex = static_cast<std::int16_t>(run_.random.Below(11));
}

std::wstring NoPictureLoadsMessage(std::string_view folder) {
    return std::wstring(kNoPictureLoadsMessage) + L"\n" + DecodeUtf8(folder);
}

SceneState SaverSession::Scene() const {
    return {state_.PatternIndex, state_.PatternAlpha, run_.settings.TransparencyMode, nullptr};
}

CaptionRequest SaverSession::Caption(std::chrono::steady_clock::time_point now) const {
    const double shown = std::chrono::duration<double>(now - captionSince_).count();
    if (held_ && !captionAsked_) return {CaptionShown::Paused, CaptionOpacity(shown, kForever)};
    if (!captionAsked_ && !CaptionsOn(run_.settings)) return {};
    const double interval = std::max<double>(1, run_.settings.IntervalSeconds);
    return {CaptionShown::Picture, CaptionOpacity(shown, held_ ? kForever : interval)};
}

// Only a real movement ends the saver: the first event only records where the mouse is,
// and a later one ends it when it has moved along both axes.
void SaverSession::OnMouseMove(float x, float y) {
    if (!mode_.endsOnMouseMove) return;
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

// Counted as the system counts the pointer's display: shown from 0 up. Every call the saver
// makes crosses between -1 and 0, so each shows or hides the pointer.
void SaverSession::ShowCursor(bool show) {
    state_.CursorCount += show ? 1 : -1;
    platform_.ShowPointer(show);
}

// Shown for the password, the pointer is hidden again when the password is refused; after an
// accepted one the counter is 0, and the pointer is hidden just before the end.
void SaverSession::EndSaver() {
    if (mode_.asksPassword && system_ != nullptr) {
        ShowCursor(state_.CursorCount != 0);
        if (!system_->VerifyPassword()) {
            ShowCursor(false);
            return;
        }
    }
    if (mode_.hidesPointer) ShowCursor(state_.CursorCount != 0);
    if (system_ != nullptr) system_->RestoreFlags();
    show_.ReleaseDevice();
    EndProcess(0);
}

void SaverSession::EndWithMessage(std::wstring_view text) {
    show_.StopFrames();
    ShowMessage(text);
    EndProcess(1);
}

void SaverSession::ShowMessage(std::wstring_view text) {
    messageShown_ = true;
    platform_.ShowMessage(text);
    messageShown_ = false;
}

void SaverSession::EndProcess(int exitCode) {
    show_.EndDecoding();
    platform_.EndProcess(exitCode);
}

}  // namespace vexaframe
