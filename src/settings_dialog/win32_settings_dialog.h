#pragma once
// The settings dialog on Windows: one borderless window "Vexaframe_P" that paints the skin
// from SettingsDialog's view, with a real list box and a real spinner, and hands mouse
// messages, with the control under the pointer, to SettingsDialog. The list box holds no
// lines of its own: it is told their count and draws and answers them from the view, so a
// folder of a hundred thousand pictures costs it no more than a few.

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "pictures/picture_decoder.h"
#include "platform/win32_handles.h"
#include "settings/run_state.h"
#include "settings_dialog/dialog_controls.h"
#include "settings_dialog/settings_dialog.h"
#include "settings_dialog/win32_skin.h"

namespace vexaframe {

class Win32SettingsDialog final : public DialogPlatform {
public:
    // Edits a copy of the run's settings and catalogue. Without `oleReady` the shell's folder
    // browser cannot be offered.
    Win32SettingsDialog(const RunState& run, FileSystem& files, const CodePage& codePage,
                        SettingsLocation location, bool oleReady);
    ~Win32SettingsDialog() override;
    Win32SettingsDialog(const Win32SettingsDialog&) = delete;
    Win32SettingsDialog& operator=(const Win32SettingsDialog&) = delete;

    // Opens the dialog and returns once it has closed; false when it could not be opened.
    [[nodiscard]] bool ShowModal();

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ListProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT OnListText(UINT message, WPARAM line, LPARAM buffer) const;
    std::optional<std::wstring> ListLine(WPARAM line) const;
    void MeasureListLine(MEASUREITEMSTRUCT& item) const;
    void DrawListLine(const DRAWITEMSTRUCT& item) const;

    bool CreateWindowAndControls();
    void SyncControls();
    void Repaint();
    void Paint(HDC target) const;
    void PaintPreview(HDC target) const;

    std::optional<HitArea> HitAt(LPARAM lParam) const;
    void OnPress(MouseButton button, LPARAM lParam);
    void OnRelease(LPARAM lParam);
    bool OnSetCursor(HWND over);
    void OnSpinner(WPARAM request);

    // DialogPlatform
    void PumpMessages() override;
    std::optional<std::string> BrowseForFolder() override;
    std::optional<Image> LoadPicture(const std::string& path) override;
    std::vector<SystemExtension> MissingSystemExtensions(const std::string& path) override;
    void ShowMessage(std::string_view text) override;
    void OpenAddress(std::string_view address) override;
    void ShowBusyCursor(bool busy) override;
    void Unload() override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
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
    bool oleReady_;
    bool closed_ = false;
    bool busy_ = false;

    int shownListGeneration_ = -1;
    std::size_t shownListLines_ = 0;  // the count the list box was last given
    int shownIntervalPosition_ = -1;
    int shownPreviewGeneration_ = 0;
    OwnedBitmap preview_;  // the preview, stretched to its box
    FileSystem& files_;    // for the preview's scratch file
    ProcessPictureDecoder decoder_;
    std::chrono::steady_clock::time_point lastRepaint_;
};

}  // namespace vexaframe
