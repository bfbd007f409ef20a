#pragma once
// The full-screen saver's decisions: what its start, its one-second tick and its ways out do,
// and in which order; what counts as a click; what the frames draw. The window, the renderer and
// the system's password check are reached through SaverPlatform.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/image.h"
#include "platform/mouse_button.h"
#include "render/frame.h"
#include "saver/monitor_covers.h"
#include "settings/command_line.h"
#include "settings/run_state.h"

namespace vexaframe {

class SaverPlatform {
public:
    virtual ~SaverPlatform() = default;

    virtual void CoverPrimaryScreen() = 0;  // the window and its drawing surface, at 0,0
    virtual std::vector<Monitor> Monitors() = 0;
    // A black window over `area` of another monitor, shown with the saver window; its input
    // reaches the session as the drawing surface's does, positions on the virtual screen.
    virtual void CoverMonitor(const ScreenRect& area) = 0;
    // The picture at its own pixel size; nothing when the file cannot be loaded.
    virtual std::optional<Image> LoadPicture(const std::string& path) = 0;
    // Replaces the intermediate bitmap file the texture is made from.
    virtual void WriteStagedPicture(const Image& picture) = 0;
    // A Direct3D device, else one drawing in software; the program ends where Direct3D is
    // missing altogether.
    virtual void CreateRenderDevice() = 0;
    virtual void CreateResources() = 0;
    virtual void StartFrames() = 0;
    virtual void ShowTopmost() = 0;

    virtual bool IsWindowsNT() = 0;
    virtual int ShowCursor(bool show) = 0;
    virtual bool VerifyScreenSavePassword() = 0;  // true: the saver may end
    virtual void EnableSystemKeys(bool enable) = 0;
    virtual void SetScreenSaveActive() = 0;
    virtual void ReleaseRenderer() = 0;  // stops the frames, then lets the device go
    virtual void EndProgram() = 0;       // does not return on a real platform
};

// The messages of the renderer's failures while it runs, shown with the program's title as
// caption.
inline constexpr std::wstring_view kVertexBufferProblem = L"VertexBuffer problem!";
inline constexpr std::wstring_view kTextureProblem = L"Texture problem!";
inline constexpr std::wstring_view kRenderingError = L"Error Rendering!";

struct MouseAnchor {
    float x = 0, y = 0;
    bool isSet = false;
};

struct SaverState {
    std::int16_t TickCount = 0;
    std::int16_t PicturePosition = 0;
    std::int16_t PatternIndex = 0;  // 0..10
    std::int16_t PatternAlpha = 0;  // 0 or 1, drawn only in transparency mode 2
    MouseAnchor mouseAnchor;
};

class SaverSession {
public:
    SaverSession(RunState& run, SaverPlatform& platform) : run_(run), platform_(platform) {}

    void OnLoad();
    void OnSecondTick();
    void OnCharacterKey() { EndSaver(); }
    // Mouse buttons pressed and released on the drawing surface or a cover.
    void OnButtonDown(MouseButton button);
    void OnButtonUp(MouseButton button);
    // Positions on the virtual screen (OnVirtualScreen), whichever window saw the move.
    void OnMouseMove(float x, float y);
    void EndSaver();
    void StageNextImage();

    // What the next frame draws, with the current picture's texture.
    SceneState Scene(DeviceTexture* texture) const;

    SaverState& State() { return state_; }
    const SaverState& State() const { return state_; }

private:
    void DrawPattern();
    void ShowCursorAsCounted();
    const std::string* PictureFileAt(std::int16_t position) const;
    bool StartedWithS() const { return ModeLetter(run_.ArgumentText) == "S"; }

    RunState& run_;
    SaverPlatform& platform_;
    SaverState state_;
    bool leftButtonDown_ = false;
};

}  // namespace vexaframe
