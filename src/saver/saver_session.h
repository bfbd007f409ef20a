#pragma once
// The full-screen saver's decisions: what its start, its one-second tick and its ways out do,
// and in which order; what counts as a click; which pattern each picture is drawn with. The
// pictures and the frames are the PictureShow's; the windows are the platform's.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/mouse_button.h"
#include "render/frame.h"
#include "saver/picture_show.h"
#include "saver/saver_platform.h"
#include "saver/show_key.h"
#include "settings/run_state.h"

namespace vexaframe {

// Shown, with the folder on the next line, when no picture of the folder could be loaded; the
// saver ends then.
inline constexpr std::wstring_view kNoPictureLoadsMessage =
    L"次のﾌｫﾙﾀﾞの画像ﾌｧｲﾙを一つも読み込めませんでした。";
std::wstring NoPictureLoadsMessage(std::string_view folder);

struct MouseAnchor {
    float x = 0, y = 0;
    bool isSet = false;
};

struct SaverState {
    std::int16_t TickCount = 0;
    std::int16_t PatternIndex = 0;  // 0..10
    std::int16_t PatternAlpha = 0;  // 0 or 1, drawn only in transparency mode 2
    // The pointer's display counter, as the system's own counts: shown from 0 up.
    int CursorCount = 0;
    MouseAnchor mouseAnchor;
};

class SaverSession {
public:
    // `system`: the system's own saver state, where it keeps one; null elsewhere.
    SaverSession(RunState& run, const SaverMode& mode, SaverPlatform& platform,
                 SaverPictures pictures, SystemSaverState* system = nullptr);

    // Covers the screens, stages the first picture, makes the device and shows the cube; the
    // next picture is prepared while the first one shows.
    void Start();
    // The picture changes at the tick that ends the interval, or, when the next picture is not
    // ready by then, at the first tick after it is.
    void OnSecondTick();
    void OnCharacterKey() { EndSaver(); }
    // → changes to the next picture as soon as it is ready, ← to the one shown before, each with
    // a new pattern and the interval started again; ← after ← goes one further back, and → after
    // it one less far. Hold keeps the picture until pressed again, with a pause sign over the
    // show. Caption shows the picture's caption for an interval, even with captions off.
    void OnShowKey(ShowKey key);
    // Mouse buttons pressed and released on the drawing surface or a cover.
    void OnButtonDown(MouseButton button);
    void OnButtonUp(MouseButton button);
    // Positions on the virtual screen (OnVirtualScreen), whichever window saw the move.
    void OnMouseMove(float x, float y);
    void OnSurfaceResized(int width, int height) { show_.ResizeDevice(width, height); }

    // What a shell's loop calls between events; a failed frame is the shell's to end the saver
    // on (EndWithMessage with kRenderingError, unless the platform knows a quieter reason).
    PictureShow::DueFrame DrawDueFrame();
    FrameOutcome DrawFrame();

    // The way out: asks the password where the mode says so, gives the pointer and the
    // system's flags back, lets the device go and ends the process.
    void EndSaver();
    // Shows the message, then ends the process with status 1.
    void EndWithMessage(std::wstring_view text);

    bool NextPictureReady() const { return show_.NextPictureReady(); }
    bool Held() const { return held_; }
    std::int32_t PicturePosition() const { return show_.PicturePosition(); }
    // What the next frame draws; its texture is the show's.
    SceneState Scene() const;
    // What lies over the cube at `now`: after a change the picture's caption for the interval
    // where captions are on or were asked for; while held, the pause sign.
    CaptionRequest Caption(std::chrono::steady_clock::time_point now) const;

    SaverState& State() { return state_; }
    const SaverState& State() const { return state_; }

private:
    void ChooseNewPattern();
    void ChangePicture();
    void ChangeIfAsked();
    void ShowCursor(bool show);
    void ShowMessage(std::wstring_view text);
    void EndProcess(int exitCode);

    RunState& run_;
    const SaverMode mode_;
    SaverPlatform& platform_;
    SystemSaverState* system_;
    SaverState state_;
    bool leftButtonDown_ = false;
    bool changeAsked_ = false;  // by a key, for as soon as the next picture is ready
    bool held_ = false;
    bool captionAsked_ = false;  // since the last change or hold
    std::chrono::steady_clock::time_point captionSince_;
    bool messageShown_ = false;  // the ticks wait while a message is up
    PictureShow show_;           // last: its preparing thread stops before the rest goes
};

}  // namespace vexaframe
