#include "app/win32_startup_services.h"

#include <windows.h>
// windows.h first: these need its types.
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdint>

#include "platform/text_rasteriser.h"
#include "platform/win32_handles.h"
#include "platform/win32_system.h"
#include "platform/win32_text.h"
#include "settings/command_line.h"
#include "settings_dialog/win32_settings_dialog.h"

namespace vexaframe {
namespace {

// Window handles carry 32 significant bits, sign-extended on 64-bit Windows.
HWND HandleFromNumber(std::int32_t number) {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(number));
}

std::string ProgramFolder() {
    const std::wstring path = ProgramFile();
    return Utf8FromWide(path.substr(0, path.find_last_of(L'\\')));
}

std::string PerUserFolder() {
    PWSTR localAppData = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &localAppData))) {
        folder = Utf8FromWide(localAppData) + "\\Vexaframe";
    }
    CoTaskMemFree(localAppData);
    // Without a per-user folder the program's own is the only place left.
    return folder.empty() ? ProgramFolder() : folder;
}

}  // namespace

std::string ArgumentText() {
    return ArgumentTextOf(Utf8FromWide(GetCommandLineW()));
}

bool Win32StartupServices::WindowTitledExists(std::string_view title) {
    return FindWindowA(nullptr, std::string(title).c_str()) != nullptr;
}

void Win32StartupServices::LoadSettings(RunState& run, CatalogueUse use) {
    location_ = ChooseSettingsLocation(files_, ProgramFolder(), PerUserFolder(),
                                       Utf8FromWide(TemporaryFolder()));
    ReadSettings(files_, codePage_, location_, run.settings);
    LoadCatalogue(files_, run, use);
}

bool Win32StartupServices::IsWindowsNT() {
    return vexaframe::IsWindowsNT();
}

void Win32StartupServices::ChangeSaverPassword(std::int32_t ownerWindow) {
    // Only the non-NT platforms' mpr.dll has it, so it is looked up at run time.
    using PwdChangePasswordFunction = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
    const OwnedModule mpr(LoadLibraryW(L"mpr.dll"));
    if (!mpr) return;
    const FARPROC found = GetProcAddress(mpr.get(), "PwdChangePasswordA");
    if (found == nullptr) return;
    const auto changePassword =
        reinterpret_cast<PwdChangePasswordFunction>(reinterpret_cast<void (*)()>(found));
    changePassword("SCRSAVE", HandleFromNumber(ownerWindow), 0, 0);
}

void Win32StartupServices::ShowMessage(std::wstring_view text) {
    MessageBoxW(nullptr, std::wstring(text).c_str(), std::wstring(kProgramTitle).c_str(), MB_OK);
}

bool Win32StartupServices::OpenPreview(std::int32_t hostWindow) {
    const HWND host = HandleFromNumber(hostWindow);
    if (!IsWindow(host)) return false;
    preview_ = std::make_unique<Win32PreviewWindow>(host);
    if (!preview_->IsOpen()) preview_.reset();
    return preview_ != nullptr;
}

bool Win32StartupServices::ShowSettingsDialog(const RunState& run) {
    Win32SettingsDialog dialog(run, files_, codePage_, location_, oleReady_);
    return dialog.ShowModal();
}

bool Win32StartupServices::OpenSaver(RunState& run, const SaverMode& mode) {
    saver_ = std::make_unique<Win32SaverWindow>(
        run, mode,
        SaverPictures{files_, location_.pictureFile, std::make_unique<ProcessPictureDecoder>(),
                      MakeTextRasteriser()},
        ModeLetter(argumentText_) == "S");
    if (!saver_->Open()) saver_.reset();
    return saver_ != nullptr;
}

}  // namespace vexaframe
