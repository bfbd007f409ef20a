#pragma once
// Start-up: reads the command line, keeps a second copy from running and opens the mode's
// window. The platform is reached only through StartupServices.

#include <cstdint>
#include <string_view>

#include "saver/saver_platform.h"
#include "settings/run_state.h"

namespace vexaframe {

inline constexpr std::wstring_view kChoosePicturesMessage =
    L"設定画面より画像ﾌｧｲﾙを指定して下さい！";
// The windows of a mode could not be made: the system is out of resources.
inline constexpr std::wstring_view kSaverWindowError = L"Error! Could not create the saver window.";
inline constexpr std::wstring_view kSettingsDialogError = L"設定画面を開けませんでした。";

class StartupServices {
public:
    virtual ~StartupServices() = default;

    // True when a top-level window with exactly this caption exists.
    virtual bool WindowTitledExists(std::string_view title) = 0;
    // The settings, and their catalogue as far as the use needs it.
    virtual void LoadSettings(RunState& run, CatalogueUse use) = 0;
    virtual bool IsWindowsNT() = 0;
    // The system's saver-password dialog; 0 means no owner window.
    virtual void ChangeSaverPassword(std::int32_t ownerWindow) = 0;
    // Modal, OK button only, the program's title as caption.
    virtual void ShowMessage(std::wstring_view text) = 0;

    // False when `hostWindow` is no window to show the preview in, or the preview's windows
    // could not be made.
    [[nodiscard]] virtual bool OpenPreview(std::int32_t hostWindow) = 0;
    // Returns once the dialog has closed; false when it could not be opened.
    [[nodiscard]] virtual bool ShowSettingsDialog(const RunState& run) = 0;
    // False when the saver's windows could not be made; nothing is left open then.
    [[nodiscard]] virtual bool OpenSaver(RunState& run, const SaverMode& mode) = 0;
};

enum class StartupOutcome {
    EndProgram,
    RunWindows,  // a window was opened; the program lives until it ends it
};

// `argumentText`: the command line after the program's name, in UTF-8.
StartupOutcome Main(std::string_view argumentText, RunState& run, StartupServices& services);

// The order of the first cycle over the catalogue, which must hold a picture.
void PrepareImageOrder(RunState& run);

}  // namespace vexaframe
