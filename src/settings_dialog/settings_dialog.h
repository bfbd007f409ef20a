#pragma once
// The settings dialog's decisions: what it shows when it opens, what each option, button and
// mouse gesture does to the settings and to what it shows, and when the settings are saved.
// The window and the system's dialogs are reached through DialogPlatform; what the window
// shows is DialogView.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/catalogue.h"
#include "settings/run_state.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "pictures/image.h"
#include "settings/settings.h"
#include "settings_dialog/dialog_layout.h"

namespace vexaframe {

// The texts of the dialog, as it shows them. The kinds' captions are kKindPatterns.
namespace dialog_text {
inline constexpr std::string_view kTitle = "Vexaframe の設定";
inline constexpr std::string_view kFileNamesHeading = "画像のﾌｧｲﾙ名";
inline constexpr std::string_view kPreviewHeading = "画像のﾌﾟﾚﾋﾞｭｰ";
inline constexpr std::string_view kKindsHeading = "画像の種類";
inline constexpr std::string_view kOrderHeading = "画像ﾁｪﾝｼﾞ";
inline constexpr std::string_view kIntervalHeading = "ｲﾝﾀｰﾊﾞﾙ";
inline constexpr std::string_view kTransparencyHeading = "透明効果";
inline constexpr std::string_view kPictureUnit = "枚";
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
inline constexpr std::wstring_view kTooManyFiles =
    L"このﾌｫﾙﾀﾞには画像が多すぎます。最初の 32767 枚までを一覧にしました。";
inline constexpr std::wstring_view kFolderUnreadable =
    L"ﾌｫﾙﾀﾞを最後まで読めませんでした。読めた分までを一覧にしました。";
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

// The interval spinner.
inline constexpr int kIntervalLowest = 10;
inline constexpr int kIntervalHighest = 60;
inline constexpr int kIntervalStarting = 30;

// What the dialog's controls show. Texts are UTF-8.
struct DialogView {
    std::array<StorePicture, 4> Img_Kind{};
    std::array<StorePicture, 2> Img_SR{};
    std::array<StorePicture, 3> Img_Tomei{};
    std::array<StorePicture, 4> Img_Button{};
    StorePicture ImgExit = StorePicture::CloseAtRest;

    std::string Folder_Path;
    std::string lbl_Kei;
    std::string lbl_PreSize = "9999 * 9999";
    std::string lbl_Sec;
    int HS_Interval = kIntervalStarting;

    std::vector<std::string> List_1;
    int ListGeneration = 0;  // counts the times the list was emptied

    // The preview: the last picture loaded (45 x 41 black before any), and whether Pic_K
    // shows it, stretched to Pic_K's size.
    Image Pic_F = Image(45, 41);
    PixelSize Pic_K{layout::kPreview.width, layout::kPreview.height};
    bool PreviewShown = false;
    int PreviewGeneration = 0;  // counts the changes of the preview
};

class DialogPlatform {
public:
    virtual ~DialogPlatform() = default;

    // Repaints what changed and lets pending window messages run.
    virtual void PumpMessages() = 0;
    // The shell's folder browser, modal; nothing when cancelled or when the chosen item has
    // no file-system path.
    virtual std::optional<std::string> BrowseForFolder() = 0;
    virtual std::optional<Image> LoadPicture(const std::string& path) = 0;
    // Modal, OK only, the program's title as caption.
    virtual void ShowMessage(std::wstring_view text) = 0;
    // In the user's web browser, without waiting; failures are not reported.
    virtual void OpenAddress(std::string_view address) = 0;
    virtual void ShowBusyCursor(bool busy) = 0;
    // Plays the closing animation and closes the dialog.
    virtual void Unload() = 0;

    // Dragging the window: the cursor and the window's top-left corner, in screen pixels.
    virtual std::optional<PixelPoint> CursorPosition() = 0;
    virtual PixelPoint WindowPosition() = 0;
    virtual void MoveWindowTo(PixelPoint topLeft) = 0;
};

enum class MouseButton { Left, Right, Middle };

class SettingsDialog {
public:
    SettingsDialog(RunState& run, FileSystem& files, const CodePage& codePage,
                   SettingsLocation location, DialogPlatform& platform);

    // Fills the controls from the settings and the catalogue.
    void Form_Load();
    void RefillFileList();

    // Options: the box or radio and its caption act alike.
    void ToggleKind(int index);          // at the press of any button
    void SelectOrder(int index);         // at the press of any button
    void SelectTransparency(int index);  // on a completed click
    // An arrow of the spinner: one step up or down, within its bounds.
    void SpinInterval(int steps);
    void HS_Interval_Change(int value);

    void lbl_Button_MouseDown(int index);
    void lbl_Button_MouseUp(int index);
    void ImgExit_MouseDown();
    void ImgExit_MouseUp();
    void lbl_URL_MouseUp();
    // The system's close command: as the close button, nothing saved.
    void CloseRequested();

    void Image1_MouseDown(MouseButton button);
    void Image1_MouseMove();
    void Image1_MouseUp();

    // A line of the file list was selected; nothing when `line` is none of its lines.
    void List_1_Click(int line);

    void BrowseForImageFolder();

    const DialogView& View() const { return view_; }
    bool Listing() const { return listing_; }

private:
    void ShowFileCount(std::size_t count);
    void ClearList();
    void ClearPage();
    void Close();

    RunState& run_;
    FileSystem& files_;
    const CodePage& codePage_;
    const SettingsLocation location_;
    DialogPlatform& platform_;
    DialogView view_;

    bool listing_ = false;  // a browse is reading its folder

    bool Dragging = false;
    PixelPoint DragOffset;
};

// The name a file has in its folder, as the file system stores it; empty when it is gone.
std::string StoredFileName(FileSystem& files, const std::string& path);

}  // namespace vexaframe
