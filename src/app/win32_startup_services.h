#pragma once
// The Windows side of start-up.

#include <memory>
#include <string>

#include "app/startup.h"
#include "platform/win32_code_page.h"
#include "platform/win32_file_system.h"
#include "saver/win32_message_loop.h"
#include "saver/win32_preview_window.h"
#include "saver/win32_saver_window.h"

namespace vexaframe {

// The command line after the program's name, as UTF-8.
std::string ArgumentText();

class Win32StartupServices : public StartupServices {
public:
    // `oleReady`: OLE is set up on this thread, as the shell's folder browser needs.
    // `argumentText`: the command line after the program's name.
    Win32StartupServices(std::string argumentText, bool oleReady)
        : argumentText_(std::move(argumentText)), oleReady_(oleReady) {}

    bool WindowTitledExists(std::string_view title) override;
    void LoadSettings(RunState& run, CatalogueUse use) override;
    bool IsWindowsNT() override;
    void ChangeSaverPassword(std::int32_t ownerWindow) override;
    void ShowMessage(std::wstring_view text) override;
    bool OpenPreview(std::int32_t hostWindow) override;
    bool ShowSettingsDialog(const RunState& run) override;
    bool OpenSaver(RunState& run, const SaverMode& mode) override;

    // The saver's frames, once it runs.
    FrameSource* Frames() { return saver_.get(); }

private:
    const std::string argumentText_;
    bool oleReady_;
    Win32FileSystem files_;
    Win32CodePage codePage_;
    SettingsLocation location_;
    std::unique_ptr<Win32PreviewWindow> preview_;
    std::unique_ptr<Win32SaverWindow> saver_;
};

}  // namespace vexaframe
