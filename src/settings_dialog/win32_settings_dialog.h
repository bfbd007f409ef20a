#pragma once
// The settings dialog on Windows: one borderless window "Vexaframe_P" that paints the skin
// from SettingsDialog's view, with a real list box and a real spinner, and turns mouse
// messages into SettingsDialog's handlers.

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "settings_dialog/dialog_controls.h"
#include "settings_dialog/settings_dialog.h"
#include "settings_dialog/win32_skin.h"

namespace vexaframe {

class Win32SettingsDialog final : public DialogPlatform {
public:
    Win32SettingsDialog(RunState& run, FileSystem& files, const CodePage& codePage,
                        SettingsLocation location);
    ~Win32SettingsDialog() override;
    Win32SettingsDialog(const Win32SettingsDialog&) = delete;
    Win32SettingsDialog& operator=(const Win32SettingsDialog&) = delete;

    // Opens the dialog and returns once it has closed.
    void ShowModal();

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateWindowAndControls();
    void SyncControls();
    void Repaint();
    void Paint(HDC target) const;
    void PaintPreview(HDC target) const;

    std::optional<HitArea> HitAt(LPARAM lParam) const;
    void OnButtonDown(MouseButton button, LPARAM lParam);
    void OnButtonUp(LPARAM lParam);
    void OnMouseMove();
    bool OnSetCursor(HWND over);
    void OnSpinner(WPARAM request);

    // DialogPlatform
    void PumpMessages() override;
    std::optional<std::string> BrowseForFolder() override;
    std::optional<Image> LoadPicture(const std::string& path) override;
    void ShowMessage(std::wstring_view text) override;
    void OpenAddress(std::string_view address) override;
    void ShowBusyCursor(bool busy) override;
    void Unload() override;
    std::optional<PixelPoint> CursorPosition() override;
    PixelPoint WindowPosition() override;
    void MoveWindowTo(PixelPoint topLeft) override;

    SettingsDialog dialog_;
    Win32Skin skin_;
    std::vector<HitArea> hitAreas_;

    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND spinner_ = nullptr;
    RECT openPoint_{};  // where the cursor was when the dialog opened
    bool closed_ = false;
    bool busy_ = false;
    std::optional<HitArea> pressed_;  // the control that took the press

    int shownListGeneration_ = -1;
    std::size_t shownListLines_ = 0;
    int shownPreviewGeneration_ = 0;
    HBITMAP preview_ = nullptr;  // the preview, stretched to its box
    std::chrono::steady_clock::time_point lastPump_;
};

}  // namespace vexaframe
