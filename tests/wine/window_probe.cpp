// A helper of the end-to-end tests: looks at the windows of the Wine session.
//   window_probe list          one line per top-level window and per child window:
//                              "window<TAB>class<TAB>caption" / "child<TAB>class<TAB>text"
//   window_probe hold TITLE    makes a hidden top-level window captioned TITLE, prints
//                              "ready" and keeps it until it is closed or killed
// Output is UTF-8 with bare line feeds.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32_text.h"

namespace {

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return vexaframe::Utf8FromWide(name);
}

// Of another process's window this is the stored text, read without asking the window.
std::string TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return vexaframe::Utf8FromWide(text);
}

void PrintLine(const char* kind, HWND window) {
    std::printf("%s\t%s\t%s\n", kind, ClassOf(window).c_str(), TextOf(window).c_str());
}

BOOL CALLBACK PrintChild(HWND window, LPARAM) {
    PrintLine("child", window);
    return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM) {
    PrintLine("window", window);
    EnumChildWindows(window, PrintChild, 0);
    return TRUE;
}

int List() {
    EnumWindows(PrintTopLevel, 0);
    return 0;
}

LRESULT CALLBACK HeldWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

int Hold(const wchar_t* title) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HeldWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VexaframeProbeWindow";
    RegisterClassW(&windowClass);
    const HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                        nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // bare line feeds: the tests read this on Linux
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"list" && argc == 2) return List();
    if (command == L"hold" && argc == 3) return Hold(argv[2]);
    std::fprintf(stderr, "usage: window_probe list | window_probe hold TITLE\n");
    return 2;
}
