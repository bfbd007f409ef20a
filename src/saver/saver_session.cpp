#include "saver/saver_session.h"

#include <limits>

#include "settings/image_order.h"

namespace vexaframe {

void SaverWindow::Form_Load() {
    platform_.CoverPrimaryScreen();
    state_.PatternIndex = 0;
    state_.PicturePosition = 0;
    DrawPattern();
    StageNextImage();
    platform_.InitDirect3D();
    platform_.CreateResources();
    platform_.StartFrames();
    state_.TickCount = 0;
    platform_.ShowTopmost();
}

void SaverWindow::Timer1_Timer() {
    if (state_.TickCount < std::numeric_limits<std::int16_t>::max()) ++state_.TickCount;
    if (state_.TickCount < run_.settings.IntervalSeconds) return;
    state_.TickCount = 0;
    DrawPattern();
    StageNextImage();
    platform_.CreateResources();
}

// The file the order holds at `position`; nothing outside the order or the catalogue.
const std::string* SaverWindow::PictureFileAt(std::int16_t position) const {
    const auto& order = run_.ImageOrder;
    if (position < 1 || static_cast<std::size_t>(position) >= order.size()) return nullptr;
    const std::int16_t number = order[static_cast<std::size_t>(position)];
    if (number < 1 || static_cast<std::size_t>(number) > run_.catalogue.ImageFiles.size())
        return nullptr;
    return &run_.catalogue.ImageFile(number);
}

// A picture that cannot be loaded writes nothing: the bitmap file keeps the previous picture,
// which is then shown again.
void SaverWindow::StageNextImage() {
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
void SaverWindow::DrawPattern() {
    if (run_.settings.TransparencyMode == 2)
        state_.PatternAlpha = static_cast<std::int16_t>(run_.random.Below(2));
    state_.PatternIndex = static_cast<std::int16_t>(run_.random.Below(11));
}

// Only a real movement ends the saver: the first event only records where the mouse is,
// and a later one ends it when it has moved along both axes.
void SaverWindow::pic3d_MouseMove(float X, float Y) {
    if (run_.ArgumentText.empty()) return;
    MouseAnchor& anchor = state_.Anchor;
    if (!anchor.IsSet) {
        anchor = {X, Y, true};
        return;
    }
    if (X != anchor.X && Y != anchor.Y) {
        anchor.IsSet = false;
        EndSaver();
    }
}

void SaverWindow::ShowCursorAsCounted() {
    run_.CursorCount = platform_.ShowCursor(run_.CursorCount != 0);
}

void SaverWindow::EndSaver() {
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
    platform_.ReleaseDirect3D();
}

}  // namespace vexaframe
