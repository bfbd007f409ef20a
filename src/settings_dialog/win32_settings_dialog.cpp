#include "settings_dialog/win32_settings_dialog.h"

// windows.h first: these need its types.
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <chrono>

#include "pictures/win32_image_format.h"
#include "pictures/win32_system_extensions.h"
#include "platform/win32_system.h"
#include "platform/win32_text.h"
#include "platform/win32_window_class.h"
#include "settings_dialog/win32_folder_browser.h"

namespace vexaframe {
namespace {

constexpr wchar_t kDialogClass[] = L"VexaframeSettings";
constexpr COLORREF kWindowColour = RGB(0, 0, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPreviewBackground = RGB(224, 224, 224);
constexpr int kListId = 1, kSpinnerId = 2;
constexpr std::chrono::milliseconds kRepaintEvery{30};

RECT RectOf(PixelRect box) {
    return {box.left, box.top, box.Right(), box.Bottom()};
}

PixelPoint PointOf(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// A label that sizes itself to its text, from where it starts.
PixelRect TextBox(PixelPoint start, std::string_view text, const Win32Skin& skin) {
    return CaptionBox(start, text,
                      [&skin](std::string_view words) { return skin.TextWidth(words); });
}

void FillBox(HDC target, PixelRect box, COLORREF colour) {
    const OwnedBrush brush(CreateSolidBrush(colour));
    const RECT area = RectOf(box);
    FillRect(target, &area, brush.get());
}

void PaintBodyGradient(HDC target) {
    const PixelRect body = layout::kBody;
    const int saved = SaveDC(target);
    IntersectClipRect(target, body.left, body.top, body.Right(), body.Bottom());
    const std::vector<Rgb> rows = BodyGradient(body.height);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Rgb c = rows[i];
        FillBox(target, {body.left, body.top + static_cast<int>(i), body.width, 1},
                RGB(c.red, c.green, c.blue));
    }
    RestoreDC(target, saved);
}

void DrawBorder(HDC target, PixelRect box) {
    RECT area = RectOf(box);
    DrawEdge(target, &area, BDR_SUNKENOUTER, BF_RECT);
}

// The picture stretched to the preview's size, once for each new preview: the source may be
// a photograph of many megapixels, and the dialog repaints often.
OwnedBitmap StretchedPreview(const DialogView& view) {
    const Image& picture = view.previewPicture;
    const PixelSize size = view.previewBox;
    if (!view.previewShown || picture.width <= 0 || picture.height <= 0 || size.width <= 0 ||
        size.height <= 0)
        return nullptr;
    const WindowDC screen(nullptr);
    OwnedBitmap stretched(CreateCompatibleBitmap(screen.get(), size.width, size.height));
    const OwnedMemoryDC target(CreateCompatibleDC(screen.get()));
    if (!stretched || !target) return nullptr;
    const Selection selected(target.get(), stretched.get());
    const BITMAPINFO format = ImageFormat(picture.width, picture.height);
    SetStretchBltMode(target.get(), COLORONCOLOR);
    StretchDIBits(target.get(), 0, 0, size.width, size.height, 0, 0, picture.width, picture.height,
                  picture.pixels.data(), &format, DIB_RGB_COLORS, SRCCOPY);
    return stretched;
}

// The dialog is laid out in pixels of a 96-dot screen. On a scaled display the system
// enlarges it, as it does for programs that know nothing of scaling, instead of showing it
// at a fraction of its size. Only Windows 10 and later have the call, so it is looked up.
void UseSystemScalingForTheDialog() {
    using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const FARPROC found =
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext");
    if (found == nullptr) return;
    const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(found));
    if (setContext(DPI_AWARENESS_CONTEXT_UNAWARE_GDISCALED) == nullptr)
        setContext(DPI_AWARENESS_CONTEXT_UNAWARE);
}

}  // namespace

Win32SettingsDialog::Win32SettingsDialog(const RunState& run, FileSystem& files,
                                         const CodePage& codePage, SettingsLocation location,
                                         bool oleReady)
    : dialog_(run.settings, run.catalogue, files, codePage, std::move(location), *this),
      hitAreas_(DialogHitAreas([this](std::string_view text) { return skin_.TextWidth(text); })),
      oleReady_(oleReady),
      files_(files) {}

Win32SettingsDialog::~Win32SettingsDialog() {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

bool Win32SettingsDialog::ShowModal() {
    UseSystemScalingForTheDialog();
    if (!CreateWindowAndControls()) return false;
    dialog_.OnLoad();
    SyncControls();

    const PixelPoint at =
        DialogPosition({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    SetWindowPos(window_, nullptr, at.x, at.y, layout::kWindowSize.width,
                 layout::kWindowSize.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(ListHorizontalExtent()), 0);

    // The dialog grows out of where the cursor was, and shrinks back there when it closes.
    POINT cursor{};
    if (GetCursorPos(&cursor)) openPoint_ = {cursor.x, cursor.y, cursor.x, cursor.y};
    RECT opened{};
    GetWindowRect(window_, &opened);
    DrawAnimatedRects(window_, IDANI_CAPTION, &openPoint_, &opened);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);

    MSG message;
    while (!closed_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

// The dialog is of no use without its list and its spinner; what was made goes with the dialog.
bool Win32SettingsDialog::CreateWindowAndControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = skin_.Icon();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kDialogClass;
    RegisterClassExW(&windowClass);

    const std::wstring caption(kSettingsDialogTitle.begin(), kSettingsDialogTitle.end());
    window_ = CreateWindowExW(0, kDialogClass, caption.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                              layout::kWindowSize.width, layout::kWindowSize.height, nullptr,
                              nullptr, instance, this);
    if (window_ == nullptr) return false;
    const PixelRect list = layout::kFileList;
    constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                                 LBS_NOINTEGRALHEIGHT | LBS_NODATA | LBS_OWNERDRAWFIXED;
    list_ =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr, kListStyle, list.left, list.top,
                        list.width, list.height, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance, nullptr);
    if (list_ == nullptr ||
        !SetWindowSubclass(list_, ListProcedure, 0, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    // The list box took its kind when it was made; the style it shows from now on tells the
    // system, which carries a line's text to other processes (accessibility tools, the tests'
    // probe) only for list boxes with strings, that the lines are text.
    SetWindowLongPtrW(list_, GWL_STYLE, kListStyle | LBS_HASSTRINGS);
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(skin_.Font()), FALSE);
    const PixelRect spin = layout::kIntervalSpinner;
    spinner_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_HORZ,
                               spin.left, spin.top, spin.width, spin.height, window_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSpinnerId)), instance,
                               nullptr);
    SetScrollRange(spinner_, SB_CTL, kShortestInterval, kLongestInterval, FALSE);
    return spinner_ != nullptr;
}

// The list box's own procedure answers everything but its lines' texts, which it does not hold.
LRESULT CALLBACK Win32SettingsDialog::ListProcedure(HWND list, UINT message, WPARAM wParam,
                                                    LPARAM lParam, UINT_PTR id, DWORD_PTR owner) {
    switch (message) {
        case LB_GETTEXTLEN:
        case LB_GETTEXT:
            return reinterpret_cast<const Win32SettingsDialog*>(owner)->OnListText(message, wParam,
                                                                                   lParam);
        case WM_NCDESTROY:
            RemoveWindowSubclass(list, ListProcedure, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

LRESULT Win32SettingsDialog::OnListText(UINT message, WPARAM line, LPARAM buffer) const {
    const std::optional<std::wstring> text = ListLine(line);
    if (!text) return LB_ERR;
    if (message == LB_GETTEXT && buffer != 0)
        std::copy_n(text->c_str(), text->size() + 1, reinterpret_cast<wchar_t*>(buffer));
    return static_cast<LRESULT>(text->size());
}

// Only the lines the list box was told of: the view may have changed since.
std::optional<std::wstring> Win32SettingsDialog::ListLine(WPARAM line) const {
    const std::vector<std::string>& lines = dialog_.View().fileList;
    if (line >= std::min(shownListLines_, lines.size())) return std::nullopt;
    return WideFromUtf8(lines[line]);
}

// As tall as a line of a list box that draws its own lines in the dialog's font.
void Win32SettingsDialog::MeasureListLine(MEASUREITEMSTRUCT& item) const {
    const WindowDC screen(nullptr);
    const Selection font(screen.get(), skin_.Font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    item.itemHeight = static_cast<UINT>(metrics.tmHeight);
}

// As the list box draws its own lines: the text a pixel in, the system's colours for a line
// and for the selected one, the focus frame. The rectangle is already moved by the
// horizontal scroll.
void Win32SettingsDialog::DrawListLine(const DRAWITEMSTRUCT& item) const {
    const HDC target = item.hDC;
    const RECT& area = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const std::wstring text = ListLine(item.itemID).value_or(std::wstring());
    const Selection font(target, skin_.Font());
    SetTextColor(target, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkColor(target, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ExtTextOutW(target, area.left + 1, area.top, ETO_OPAQUE | ETO_CLIPPED, &area, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
    if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(target, &area);
}

LRESULT CALLBACK Win32SettingsDialog::Procedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    auto* owner = WindowOwner<Win32SettingsDialog>(window, message, lParam);
    if (owner == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    owner->window_ = window;
    return owner->OnMessage(message, wParam, lParam);
}

LRESULT Win32SettingsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC target = BeginPaint(window_, &paint);
            Paint(target);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // painted whole, double-buffered
        case WM_MOUSEMOVE:
            dialog_.OnMouseMove();
            return 0;
        case WM_CAPTURECHANGED:
            dialog_.OnCaptureLost();
            if (!closed_) Repaint();
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) {
                dialog_.PreviewFile(static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0)));
                Repaint();
            }
            return 0;
        case WM_MEASUREITEM:
            if (wParam != kListId) break;
            MeasureListLine(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DRAWITEM:
            if (wParam != kListId) break;
            DrawListLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == spinner_) OnSpinner(LOWORD(wParam));
            return 0;
        case WM_CLOSE:  // the system's close command: as the close button
            dialog_.CloseRequested();
            return 0;
        default:
            if (const std::optional<MouseButton> button = ButtonPressedBy(message)) {
                OnPress(*button, lParam);
                return 0;
            }
            if (ButtonReleasedBy(message)) {
                OnRelease(lParam);
                return 0;
            }
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

std::optional<HitArea> Win32SettingsDialog::HitAt(LPARAM lParam) const {
    return ControlAt(hitAreas_, PointOf(lParam));
}

void Win32SettingsDialog::OnPress(MouseButton button, LPARAM lParam) {
    dialog_.OnPress(HitAt(lParam), button);
    if (!closed_) Repaint();
}

void Win32SettingsDialog::OnRelease(LPARAM lParam) {
    dialog_.OnRelease(HitAt(lParam));
    if (!closed_) Repaint();
}

bool Win32SettingsDialog::OnSetCursor(HWND over) {
    if (busy_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return true;
    }
    bool dialogPointer = over == list_ || over == spinner_;
    if (over == window_) {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(window_, &at);
        const std::optional<HitArea> hit = ControlAt(hitAreas_, {at.x, at.y});
        dialogPointer = hit && ShowsDialogPointer(hit->control);
    }
    if (!dialogPointer || skin_.DialogPointer() == nullptr) return false;
    SetCursor(skin_.DialogPointer());
    return true;
}

void Win32SettingsDialog::OnSpinner(WPARAM request) {
    switch (request) {
        case SB_LINELEFT:
        case SB_PAGELEFT:
            dialog_.SpinInterval(-1);
            break;
        case SB_LINERIGHT:
        case SB_PAGERIGHT:
            dialog_.SpinInterval(1);
            break;
        default:
            return;
    }
    Repaint();
}

// The list box and the spinner follow the view, and are told only what changed; the list is
// told how many lines there are.
void Win32SettingsDialog::SyncControls() {
    const DialogView& view = dialog_.View();
    if (view.fileListGeneration != shownListGeneration_) {
        SendMessageW(list_, LB_RESETCONTENT, 0, 0);  // the selection and the scroll go too
        shownListGeneration_ = view.fileListGeneration;
        shownListLines_ = 0;
    }
    if (view.fileList.size() != shownListLines_) {
        SendMessageW(list_, LB_SETCOUNT, view.fileList.size(), 0);
        shownListLines_ =
            static_cast<std::size_t>(std::max<LRESULT>(SendMessageW(list_, LB_GETCOUNT, 0, 0), 0));
    }
    // A listing comes here after every file: a scroll bar redraws even when its position stays.
    if (view.intervalPosition != shownIntervalPosition_) {
        SetScrollPos(spinner_, SB_CTL, view.intervalPosition, TRUE);
        shownIntervalPosition_ = view.intervalPosition;
    }
    if (view.previewGeneration != shownPreviewGeneration_) {
        preview_ = StretchedPreview(view);
        shownPreviewGeneration_ = view.previewGeneration;
    }
}

void Win32SettingsDialog::Repaint() {
    SyncControls();
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
}

void Win32SettingsDialog::Paint(HDC target) const {
    const PixelSize size = layout::kWindowSize;
    const OwnedBitmap surface(CreateCompatibleBitmap(target, size.width, size.height));
    const OwnedMemoryDC canvasDC(CreateCompatibleDC(target));
    if (!surface || !canvasDC) return;
    const HDC canvas = canvasDC.get();
    const Selection selected(canvas, surface.get());

    const DialogView& view = dialog_.View();
    const COLORREF buttonText = GetSysColor(COLOR_BTNTEXT);
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
    FillBox(canvas, {0, 0, size.width, size.height}, kWindowColour);
    skin_.DrawTitleStrip(canvas, layout::kTitleStrip);
    skin_.DrawText(canvas, dialog_text::kTitle, TextBox(layout::kTitle, dialog_text::kTitle, skin_),
                   kWhite, TextAlign::Left);
    skin_.DrawPicture(canvas, view.closePicture, layout::kCloseButton);

    PaintBodyGradient(canvas);
    skin_.TilePanel(canvas, layout::kFilePanel);
    skin_.TilePanel(canvas, layout::kOptionsPanel);

    const std::array<std::string_view, 6> headings{
        dialog_text::kFileNamesHeading, dialog_text::kPreviewHeading,
        dialog_text::kKindsHeading,     dialog_text::kOrderHeading,
        dialog_text::kIntervalHeading,  dialog_text::kTransparencyHeading};
    for (std::size_t i = 0; i < headings.size(); ++i) {
        skin_.DrawHeadingTab(canvas, layout::kHeadings[i].tab);
        skin_.DrawText(canvas, headings[i], layout::kHeadings[i].caption, buttonText,
                       TextAlign::Centre);
    }
    for (std::size_t i = 0; i < layout::kButtons.size(); ++i) {
        skin_.DrawPicture(canvas, view.buttonFaces[i], layout::kButtons[i].face);
        skin_.DrawText(canvas, dialog_text::kButtons[i], layout::kButtons[i].caption, buttonText,
                       TextAlign::Centre);
    }
    const auto drawOptions = [&](const auto& options, const auto& pictures, const auto& captions,
                                 COLORREF colour) {
        for (std::size_t i = 0; i < options.size(); ++i) {
            skin_.DrawPicture(canvas, pictures[i], options[i].box);
            skin_.DrawText(canvas, captions[i], TextBox(options[i].caption, captions[i], skin_),
                           colour, TextAlign::Left);
        }
    };
    drawOptions(layout::kKinds, view.kindBoxes, kKindCaptions, buttonText);
    drawOptions(layout::kSubFolders, view.subFoldersBox, dialog_text::kSubFolders, buttonText);
    drawOptions(layout::kCaption, view.captionBox, dialog_text::kCaption, buttonText);
    drawOptions(layout::kOrders, view.orderRadios, dialog_text::kOrders, buttonText);
    drawOptions(layout::kTransparencies, view.transparencyRadios, dialog_text::kTransparencies,
                windowText);

    skin_.DrawText(canvas, view.fileCountText, layout::kFileCount, buttonText, TextAlign::Right);
    DrawBorder(canvas, layout::kFileCount);
    skin_.DrawText(canvas, dialog_text::kPictureUnit,
                   TextBox(layout::kPictureUnit, dialog_text::kPictureUnit, skin_), buttonText,
                   TextAlign::Left);
    skin_.DrawText(canvas, view.folderText, layout::kFolderLabel, buttonText, TextAlign::Left);
    DrawBorder(canvas, layout::kFolderLabel);
    skin_.DrawText(canvas, view.previewSizeText, layout::kPreviewSize, buttonText,
                   TextAlign::Centre);
    PaintPreview(canvas);
    skin_.DrawText(canvas, view.intervalText,
                   TextBox(layout::kIntervalText, view.intervalText, skin_), buttonText,
                   TextAlign::Left);
    skin_.DrawText(canvas, dialog_text::kCredit,
                   TextBox(layout::kCredit, dialog_text::kCredit, skin_), kWhite, TextAlign::Left);
    skin_.DrawText(canvas, dialog_text::kAddress,
                   TextBox(layout::kLink, dialog_text::kAddress, skin_), kWhite, TextAlign::Left,
                   true);

    BitBlt(target, 0, 0, size.width, size.height, canvas, 0, 0, SRCCOPY);
}

void Win32SettingsDialog::PaintPreview(HDC target) const {
    const DialogView& view = dialog_.View();
    const PixelRect box{layout::kPreview.left, layout::kPreview.top, view.previewBox.width,
                        view.previewBox.height};
    FillBox(target, box, kPreviewBackground);
    if (!view.previewNote.empty()) {
        constexpr int kMargin = 4;
        skin_.DrawWrappedText(target, view.previewNote,
                              {box.left + kMargin, box.top + kMargin, box.width - 2 * kMargin,
                               box.height - 2 * kMargin},
                              GetSysColor(COLOR_BTNTEXT));
    } else if (preview_) {
        StretchBitmap(target, preview_.get(), box);
    }
    RECT edge = RectOf(box);
    DrawEdge(target, &edge, EDGE_RAISED, BF_RECT);
}

// While a browse reads a large folder it asks for a pump after every file: the count is
// repainted at most every few frames' time, and messages always run.
void Win32SettingsDialog::PumpMessages() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastRepaint_ < kRepaintEvery) {
        SyncControls();
    } else {
        lastRepaint_ = now;
        Repaint();
    }
    MSG message;
    while (!closed_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::optional<std::string> Win32SettingsDialog::BrowseForFolder() {
    if (!oleReady_) {
        ShowMessage(dialog_text::kFolderBrowserUnavailable);
        return std::nullopt;
    }
    return BrowseForFolderWithTitle(window_, dialog_text::kBrowseTitle);
}

// In a decoder process, as the saver decodes, so that a file that crashes the system's
// decoder does not take the dialog and the choices made in it along. Without a temporary
// folder there is no place for the scratch file, and the preview stays as it was.
std::optional<Image> Win32SettingsDialog::LoadPicture(const std::string& path) {
    const std::wstring folder = TemporaryFolder();
    if (folder.empty()) return std::nullopt;
    const std::wstring scratch =
        folder + L"\\vexaframe-preview-" + std::to_wstring(GetCurrentProcessId()) + L".bmp";
    return DecodeThroughScratchFile(decoder_, files_, path, Utf8FromWide(scratch));
}

std::vector<SystemExtension> Win32SettingsDialog::MissingSystemExtensions(const std::string& path) {
    return vexaframe::MissingSystemExtensions(path);
}

void Win32SettingsDialog::ShowMessage(std::string_view text) {
    MessageBoxW(window_, WideFromUtf8(text).c_str(), std::wstring(kProgramTitle).c_str(), MB_OK);
}

void Win32SettingsDialog::OpenAddress(std::string_view address) {
    ShellExecuteW(window_, L"open", WideFromUtf8(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32SettingsDialog::ShowBusyCursor(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void Win32SettingsDialog::Unload() {
    RECT current{};
    GetWindowRect(window_, &current);
    DrawAnimatedRects(window_, IDANI_CAPTION, &current, &openPoint_);
    DestroyWindow(window_);
    closed_ = true;
}

void Win32SettingsDialog::CaptureMouse() {
    SetCapture(window_);
}

void Win32SettingsDialog::ReleaseMouse() {
    ReleaseCapture();
}

std::optional<PixelPoint> Win32SettingsDialog::CursorPosition() {
    POINT at{};
    if (!GetCursorPos(&at)) return std::nullopt;
    return PixelPoint{at.x, at.y};
}

PixelPoint Win32SettingsDialog::WindowPosition() {
    RECT area{};
    GetWindowRect(window_, &area);
    return {area.left, area.top};
}

void Win32SettingsDialog::MoveWindowTo(PixelPoint topLeft) {
    SetWindowPos(window_, nullptr, topLeft.x, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vexaframe
