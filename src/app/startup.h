#pragma once
// Start-up: reads the command line, keeps a second copy from running and opens the mode's
// window. The platform is reached only through StartupServices.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/random.h"
#include "settings/catalogue.h"
#include "settings/settings.h"

namespace vexaframe {

inline constexpr std::wstring_view kProgramTitle = L"Vexaframe";

// The captions of the saver window and the settings dialog double as single-instance markers.
inline constexpr std::string_view kSaverWindowTitle = "Vexaframe_S";
inline constexpr std::string_view kSettingsDialogTitle = "Vexaframe_P";

inline constexpr std::wstring_view kChoosePicturesMessage =
    L"設定画面より画像ﾌｧｲﾙを指定して下さい！";

// The program-wide values of one run, owned by the entry.
struct RunState {
    explicit RunState(std::string argumentText, UniformRandom randomSource)
        : ArgumentText(std::move(argumentText)), random(randomSource) {}

    const std::string ArgumentText;  // UTF-8, as the command line gave it
    Settings settings;
    Catalogue catalogue;
    std::vector<std::int16_t> ImageOrder;  // entries 1..ImageCount; entry 0 unused
    int CursorCount = 0;                   // the cursor display counter after our last change
    UniformRandom random;
};

class StartupServices {
public:
    virtual ~StartupServices() = default;

    // True when a top-level window with exactly this caption exists.
    virtual bool WindowTitledExists(std::string_view title) = 0;
    virtual void LoadSettings(Settings& settings, Catalogue& catalogue) = 0;
    virtual bool IsWindowsNT() = 0;
    // The system's saver-password dialog; 0 means no owner window.
    virtual void ChangeSaverPassword(std::int32_t ownerWindow) = 0;
    // Modal, OK button only, the program's title as caption.
    virtual void ShowMessage(std::wstring_view text) = 0;
    // Returns the new display counter.
    virtual int ShowCursor(bool show) = 0;

    // False when `hostWindow` is no window to show the preview in.
    virtual bool OpenPreview(std::int32_t hostWindow) = 0;
    // Returns once the dialog has closed.
    virtual void ShowSettingsDialog(RunState& run) = 0;
    virtual void OpenSaver(RunState& run) = 0;
};

enum class StartupOutcome {
    EndProgram,
    RunWindows,  // a window was opened; the program lives until it ends it
};

// The argument text of a whole command line: what follows the program's name (quoted or
// not) and the blanks after it, kept exactly as given.
std::string ArgumentTextOf(std::string_view commandLine);

// The second character of the argument text, upper-cased (ASCII letters only); empty when
// the text has fewer than two characters.
std::string ModeLetter(std::string_view argumentText);

// The window handle written from the fourth character on: blanks skipped, the leading
// number rounded to the nearest whole; 0 when there is none or it fits no 32-bit handle.
std::int32_t WindowHandleFromArgument(std::string_view argumentText);

StartupOutcome Main(RunState& run, StartupServices& services);

}  // namespace vexaframe
