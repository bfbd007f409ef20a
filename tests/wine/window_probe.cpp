// A helper of the end-to-end tests: looks at the windows of the Wine session.
//   window_probe list          one line per top-level window and per child window:
//                              "window<TAB>class<TAB>caption<TAB>left,top,right,bottom" (on
//                              the screen) / "child<TAB>class<TAB>text<TAB>rectangle" (in
//                              its parent's client area), then "<TAB>visible" or "<TAB>hidden";
//                              line breaks in a text are printed as blanks
//   window_probe cursor X Y    tells Wine the mouse pointer is at X,Y; exit code 1 when Wine
//                              does not then place it there
//   window_probe monitors      one line per monitor: "left,top,right,bottom<TAB>primary" or
//                              "<TAB>other", on the virtual screen
//   window_probe lines TITLE   one line per item of the list box in the top-level window
//                              captioned TITLE: "left,top,right,bottom<TAB>text" (on the
//                              screen)
//   window_probe count TITLE   the number of items of that list box
//   window_probe show TITLE X Y W H   shows a white W x H window captioned TITLE at X,Y, as
//                              another program's; prints "ready <its handle>"
//   window_probe host W H      the same at the screen's top-left corner, filled by a child as
//                              the display settings' preview area; prints "ready <the child's>"
// A shown window goes when a line arrives on the input or the input ends. Output is UTF-8
// with bare line feeds.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

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
    for (wchar_t& c : text) c = c == L'\r' || c == L'\n' ? L' ' : c;
    return vexaframe::Utf8FromWide(text);
}

RECT RectangleOf(HWND window) {
    RECT rectangle{};
    GetWindowRect(window, &rectangle);
    if (const HWND parent = GetAncestor(window, GA_PARENT); parent != GetDesktopWindow()) {
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rectangle), 2);
    }
    return rectangle;
}

void PrintLine(const char* kind, HWND window) {
    const RECT r = RectangleOf(window);
    std::printf("%s\t%s\t%s\t%ld,%ld,%ld,%ld\t%s\n", kind, ClassOf(window).c_str(),
                TextOf(window).c_str(), r.left, r.top, r.right, r.bottom,
                IsWindowVisible(window) ? "visible" : "hidden");
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

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return FALSE;
    const RECT& r = info.rcMonitor;
    std::printf("%ld,%ld,%ld,%ld\t%s\n", r.left, r.top, r.right, r.bottom,
                (info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? "primary" : "other");
    return TRUE;
}

int ListMonitors() {
    return EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0) ? 0 : 1;
}

// The list may change while it is read: an item that went reads as empty.
std::string ItemText(HWND list, LRESULT item) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, item, 0);
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return vexaframe::Utf8FromWide(text);
}

HWND ListBoxOf(const wchar_t* title) {
    const HWND window = FindWindowW(nullptr, title);
    return window ? FindWindowExW(window, nullptr, L"ListBox", nullptr) : nullptr;
}

// List boxes are a system class: their item messages reach across processes.
int ListLines(const wchar_t* title) {
    const HWND list = ListBoxOf(title);
    if (list == nullptr) return 1;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        RECT r{};
        SendMessageW(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(list, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%ld,%ld,%ld,%ld\t%s\n", r.left, r.top, r.right, r.bottom,
                    ItemText(list, item).c_str());
    }
    return 0;
}

int CountLines(const wchar_t* title) {
    const HWND list = ListBoxOf(title);
    if (list == nullptr) return 1;
    std::printf("%lld\n", static_cast<long long>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
    return 0;
}

LRESULT CALLBACK ShownWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

int Show(const wchar_t* title, int x, int y, int width, int height, bool area) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ShownWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"VexaframeProbeWindow";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, title, WS_POPUP | WS_VISIBLE,
                                        x, y, width, height, nullptr, nullptr, nullptr, nullptr);
    const HWND child =
        window && area ? CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                         0, 0, width, height, window, nullptr, nullptr, nullptr)
                       : window;
    if (child == nullptr) return 1;
    std::printf("ready %lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(child)));
    std::fflush(stdout);
    std::thread([window] {
        wchar_t line[16];
        std::fgetws(line, 16, stdin);
        PostMessageW(window, WM_CLOSE, 0, 0);
    }).detach();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

// Wine's own idea of the position, which the saver's first mouse message carries; where the X
// pointer is the tests check themselves.
int PutCursor(int x, int y) {
    SetCursorPos(x, y);
    POINT now{};
    return GetCursorPos(&now) && now.x == x && now.y == y ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // bare line feeds: the tests read this on Linux
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"list" && argc == 2) return List();
    if (command == L"monitors" && argc == 2) return ListMonitors();
    if (command == L"lines" && argc == 3) return ListLines(argv[2]);
    if (command == L"count" && argc == 3) return CountLines(argv[2]);
    if (command == L"show" && argc == 7)
        return Show(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), _wtoi(argv[6]), false);
    if (command == L"host" && argc == 4)
        return Show(L"Preview host", 0, 0, _wtoi(argv[2]), _wtoi(argv[3]), true);
    if (command == L"cursor" && argc == 4) return PutCursor(_wtoi(argv[2]), _wtoi(argv[3]));
    std::fprintf(
        stderr,
        "usage: window_probe list | monitors | lines TITLE | count TITLE | show TITLE X Y W H | "
        "host W H | cursor X Y\n");
    return 2;
}
