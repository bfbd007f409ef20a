#pragma once
// The settings dialog's decisions: what it shows when it opens, what each press and release
// of the mouse does to the settings being edited and to what it shows, and when the settings
// are saved. The window and the system's dialogs are reached through DialogPlatform; what the
// window shows is DialogView.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/image.h"
#include "pictures/system_extension.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/mouse_button.h"
#include "settings/catalogue.h"
#include "settings/settings.h"
#include "settings_dialog/dialog_controls.h"
#include "settings_dialog/dialog_layout.h"

namespace vexaframe {

// The texts of the dialog, as it shows them (UTF-8). The kinds' captions are kKindCaptions.
namespace dialog_text {
inline constexpr std::string_view kTitle = "Vexaframe の設定";
inline constexpr std::string_view kFileNamesHeading = "画像のﾌｧｲﾙ名";
inline constexpr std::string_view kPreviewHeading = "画像のﾌﾟﾚﾋﾞｭｰ";
inline constexpr std::string_view kKindsHeading = "画像の種類";
inline constexpr std::string_view kOrderHeading = "画像ﾁｪﾝｼﾞ";
inline constexpr std::string_view kIntervalHeading = "ｲﾝﾀｰﾊﾞﾙ";
inline constexpr std::string_view kTransparencyHeading = "透明効果";
inline constexpr std::string_view kPictureUnit = "枚";
inline constexpr std::array<std::string_view, 1> kSubFolders{"ｻﾌﾞﾌｫﾙﾀﾞも"};
inline constexpr std::array<std::string_view, 1> kCaption{"ｷｬﾌﾟｼｮﾝ"};
inline constexpr std::string_view kSeconds = " 秒";
inline constexpr std::array<std::string_view, 4> kButtons{"ﾌｫﾙﾀﾞで指定", "ｸﾘｱ", "設定", "ｷｬﾝｾﾙ"};
inline constexpr std::array<std::string_view, 2> kOrders{"ｼｰｹﾝｼｬﾙ", "ﾗﾝﾀﾞﾑ"};
inline constexpr std::array<std::string_view, 3> kTransparencies{"不透明", "半透明",
                                                                 "ﾊﾟﾀｰﾝでﾗﾝﾀﾞﾑ"};
inline constexpr std::string_view kAddress = "https://vexaframe.example/";
// The build gives the version, so the dialog always names the program it belongs to.
inline constexpr std::string_view kCredit = "© Vexaframe  Ver." VEXAFRAME_VERSION;
inline constexpr std::wstring_view kBrowseTitle =
    L"ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください";
inline constexpr std::string_view kFolderUnreadable =
    "ﾌｫﾙﾀﾞを最後まで読めませんでした。読めた分までを一覧にしました。";
inline constexpr std::string_view kFolderBrowserUnavailable = "ﾌｫﾙﾀﾞの選択画面を開けませんでした。";

std::string TooManyFiles(std::int32_t listed);
// What the preview says of a picture that needs extensions the system lacks; "" for none.
std::string ExtensionsNeeded(const std::vector<SystemExtension>& missing);
// Names the file it could not write, so the user knows what to look at.
std::string SaveFailed(std::string_view settingsFile);
}  // namespace dialog_text

// Pictures of the picture store, as the controls show them.
enum class StorePicture {
    None,  // a value the store has no picture for
    CheckOff,
    CheckOn,
    RadioOff,
    RadioOn,
    ButtonAtRest,
    ButtonPressed,
    CloseAtRest,
    ClosePressed,
};

// The interval spinner's position for an interval outside those offered.
inline constexpr int kIntervalStarting = 30;

// What the dialog's controls show. Texts are UTF-8.
struct DialogView {
    std::array<StorePicture, kKindCount> kindBoxes{};
    std::array<StorePicture, 1> subFoldersBox{};
    std::array<StorePicture, 1> captionBox{};
    std::array<StorePicture, 2> orderRadios{};
    std::array<StorePicture, 3> transparencyRadios{};
    std::array<StorePicture, 4> buttonFaces{};
    StorePicture closePicture = StorePicture::CloseAtRest;

    std::string folderText;
    std::string fileCountText;
    std::string previewSizeText = "9999 * 9999";
    std::string intervalText;
    int intervalPosition = kIntervalStarting;

    std::vector<std::string> fileList;
    int fileListGeneration = 0;  // counts the times the list was emptied

    // The preview: the last picture loaded (45 x 41 black before any), and whether the
    // preview box shows it, stretched to the box's size.
    Image previewPicture = Image(45, 41);
    PixelSize previewBox{layout::kPreview.width, layout::kPreview.height};
    bool previewShown = false;
    std::string previewNote;    // shown in the box instead of a picture, when not empty
    int previewGeneration = 0;  // counts the changes of the preview
};

class DialogPlatform {
public:
    virtual ~DialogPlatform() = default;

    // Repaints what changed and lets pending window messages run.
    virtual void PumpMessages() = 0;
    // The shell's folder browser, modal; nothing when cancelled, when the chosen item has no
    // file-system path, or when the browser could not be opened (the user is told).
    virtual std::optional<std::string> BrowseForFolder() = 0;
    virtual std::optional<Image> LoadPicture(const std::string& path) = 0;
    // For a picture LoadPicture gave nothing for: the system's extensions its kind needs and
    // the system lacks.
    virtual std::vector<SystemExtension> MissingSystemExtensions(const std::string& path) = 0;
    // Modal, OK only, the program's title as caption.
    virtual void ShowMessage(std::string_view text) = 0;
    // In the user's web browser, without waiting; failures are not reported.
    virtual void OpenAddress(std::string_view address) = 0;
    virtual void ShowBusyCursor(bool busy) = 0;
    // Plays the closing animation and closes the dialog.
    virtual void Unload() = 0;

    // Every mouse message goes to the dialog until released, wherever the pointer is.
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;

    // Dragging the window: the cursor and the window's top-left corner, in screen pixels.
    virtual std::optional<PixelPoint> CursorPosition() = 0;
    virtual PixelPoint WindowPosition() = 0;
    virtual void MoveWindowTo(PixelPoint topLeft) = 0;
};

// Edits a copy of the settings and of the catalogue; only the set button writes them, to the
// settings file, and the run's own values are never touched.
class SettingsDialog {
public:
    SettingsDialog(const Settings& settings, const Catalogue& catalogue, FileSystem& files,
                   const CodePage& codePage, SettingsLocation location, DialogPlatform& platform);

    // Fills the controls from the settings and the catalogue.
    void OnLoad();

    // The mouse on the dialog's own surface, over the control given (none: over nothing).
    // The control that takes a press takes its release, wherever that happens.
    void OnPress(std::optional<HitArea> over, MouseButton button);
    void OnRelease(std::optional<HitArea> over);
    void OnMouseMove();
    // The mouse was taken away before the release came: the press ends without acting.
    void OnCaptureLost();

    // An arrow of the spinner: one step up or down, within its bounds.
    void SpinInterval(int steps);
    // A line of the file list was selected; nothing when `line` is none of its lines.
    void PreviewFile(int line);
    // The system's close command: as the close button, nothing saved.
    void CloseRequested();

    const DialogView& View() const { return view_; }

private:
    void RefillFileList();
    void ShowInterval();
    void ShowFileCount(std::size_t count);
    void ClearList();

    void ToggleKind(int index);
    void ToggleSubFolders();
    void ToggleCaption();
    void ToggleCheck(std::int16_t& enabled, StorePicture& box);
    void SelectOrder(int index);
    void SelectTransparency(int index);
    void ReleaseButton(int index);
    void BrowseForImageFolder();
    // Rebuilds the catalogue from the folder shown, counting up as it goes.
    CatalogueEnd ListFolder();
    void ClearPage();
    void Save();
    void Close();

    Settings pending_;
    Catalogue pendingCatalogue_;
    FileSystem& files_;
    const CodePage& codePage_;
    const SettingsLocation location_;
    DialogPlatform& platform_;
    DialogView view_;

    std::optional<HitArea> pressed_;  // the control that took the press
    bool listing_ = false;            // a folder is being read
    bool dragging_ = false;
    PixelPoint dragOffset_;
};

}  // namespace vexaframe
