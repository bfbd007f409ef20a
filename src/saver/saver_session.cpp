#include "saver/saver_session.h"

#include <limits>

#include "settings/image_order.h"

namespace vexaframe {

void SaverSession::OnLoad() {
    platform_.CoverPrimaryScreen();
    for (const ScreenRect& area : CoverAreas(platform_.Monitors())) platform_.CoverMonitor(area);
    state_.PatternIndex = 0;
    state_.PicturePosition = 0;
    DrawPattern();
    StageNextImage();
    platform_.CreateRenderDevice();
    platform_.CreateResources();
    platform_.StartFrames();
    state_.TickCount = 0;
    platform_.ShowTopmost();
}

void SaverSession::OnSecondTick() {
    if (state_.TickCount < std::numeric_limits<std::int16_t>::max()) ++state_.TickCount;
    if (state_.TickCount < run_.settings.IntervalSeconds) return;
    state_.TickCount = 0;
    DrawPattern();
    StageNextImage();
    platform_.CreateResources();
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

// A picture that cannot be loaded writes nothing: the bitmap file keeps the previous picture,
// which is then shown again.
void SaverSession::StageNextImage() {
    const std::int16_t position = ++state_.PicturePosition;
    if (const std::string* file = PictureFileAt(position)) {
        if (const std::optional<Image> picture = platform_.LoadPicture(*file))
            platform_.WriteStagedPicture(*picture);
    }
    if (position >= run_.catalogue.ImageCount) {
        BuildImageOrder(run_.settings.OrderMode, run_.catalogue.ImageCount, run_.ImageOrder,
                        run_.random);
        state_.PicturePosition = 0;
    }
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
    platform_.ReleaseRenderer();
    platform_.EndProgram();
}

}  // namespace vexaframe
