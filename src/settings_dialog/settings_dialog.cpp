#include "settings_dialog/settings_dialog.h"

#include <algorithm>
#include <utility>

namespace vexaframe {
namespace {

constexpr int kFolderButton = 0, kClearButton = 1, kSetButton = 2, kCancelButton = 3;

// Only exactly 0 and 1 have pictures; other values (a hand-edited file) show none.
StorePicture CheckPicture(std::int16_t value) {
    switch (value) {
        case 0:
            return StorePicture::CheckOff;
        case 1:
            return StorePicture::CheckOn;
        default:
            return StorePicture::None;
    }
}

template <std::size_t N>
void SelectRadio(std::array<StorePicture, N>& radios, int selected) {
    radios.fill(StorePicture::RadioOff);
    radios[static_cast<std::size_t>(selected)] = StorePicture::RadioOn;
}

bool Within(int value, int lowest, int highest) {
    return value >= lowest && value <= highest;
}

bool SameControl(const HitArea& a, const HitArea& b) {
    return a.control == b.control && a.index == b.index;
}

}  // namespace

namespace dialog_text {

std::string TooManyFiles(std::int32_t listed) {
    return "このﾌｫﾙﾀﾞには画像が多すぎます。最初の " + std::to_string(listed) +
           " 枚までを一覧にしました。";
}

std::string ExtensionsNeeded(const std::vector<SystemExtension>& missing) {
    if (missing.empty()) return {};
    std::string note = "表示に必要な拡張機能:";
    for (const SystemExtension extension : missing) {
        switch (extension) {
            case SystemExtension::HeifImages:
                note += "\nHEIF 画像拡張機能";
                break;
            case SystemExtension::HevcVideo:
                note += "\nHEVC ビデオ拡張機能";
                break;
            case SystemExtension::Av1Video:
                note += "\nAV1 Video Extension";
                break;
            case SystemExtension::WebpImages:
                note += "\nWebP 画像拡張機能";
                break;
        }
    }
    return note;
}

std::string SaveFailed(std::string_view settingsFile) {
    return "設定を保存できませんでした。\n\n" + std::string(settingsFile) +
           "\n\nﾌｧｲﾙが読み取り専用になっていないか、ﾃﾞｨｽｸの空きが足りているか、"
           "保存先のﾌｫﾙﾀﾞがあるかを確かめてから、もう一度「設定」を押してください。"
           "ここで選んだ内容は消えていません。";
}

}  // namespace dialog_text

SettingsDialog::SettingsDialog(const Settings& settings, const Catalogue& catalogue,
                               FileSystem& files, const CodePage& codePage,
                               SettingsLocation location, DialogPlatform& platform)
    : pending_(settings),
      pendingCatalogue_(catalogue),
      files_(files),
      codePage_(codePage),
      location_(std::move(location)),
      platform_(platform) {}

// A value outside what a control can show leaves the control as it was designed; an interval
// the spinner cannot hold becomes the spinner's own, which is what a save then writes.
void SettingsDialog::OnLoad() {
    view_.buttonFaces.fill(StorePicture::ButtonAtRest);
    if (Within(pending_.OrderMode, 0, 1)) SelectRadio(view_.orderRadios, pending_.OrderMode);
    if (Within(pending_.TransparencyMode, 0, 2))
        SelectRadio(view_.transparencyRadios, pending_.TransparencyMode);
    else
        view_.transparencyRadios.fill(StorePicture::RadioOff);
    RefillFileList();
    view_.previewSizeText.clear();
    view_.folderText = pending_.ImageFolder;
    for (std::size_t i = 0; i < view_.kindBoxes.size(); ++i)
        view_.kindBoxes[i] = CheckPicture(pending_.KindEnabled[i]);
    view_.subFoldersBox[0] = CheckPicture(pending_.SubFolders);
    view_.captionBox[0] = CheckPicture(pending_.Caption);
    if (!Within(pending_.IntervalSeconds, kShortestInterval, kLongestInterval))
        pending_.IntervalSeconds = kIntervalStarting;
    ShowInterval();
}

void SettingsDialog::OnPress(std::optional<HitArea> over, MouseButton button) {
    if (pressed_ || !over) return;
    // Taken before acting: a kind's rescan lets messages run, and its release may come then.
    pressed_ = over;
    platform_.CaptureMouse();
    const auto index = static_cast<std::size_t>(over->index);
    switch (over->control) {
        case DialogControl::TitleStrip:
            if (button != MouseButton::Left) break;
            if (const std::optional<PixelPoint> cursor = platform_.CursorPosition()) {
                const PixelPoint window = platform_.WindowPosition();
                dragging_ = true;
                dragOffset_ = {cursor->x - window.x, cursor->y - window.y};
            }
            break;
        case DialogControl::Close:
            view_.closePicture = StorePicture::ClosePressed;
            break;
        case DialogControl::Button:
            view_.buttonFaces[index] = StorePicture::ButtonPressed;
            break;
        case DialogControl::Kind:
            ToggleKind(over->index);
            break;
        case DialogControl::SubFolders:
            ToggleSubFolders();
            break;
        case DialogControl::Caption:
            ToggleCaption();
            break;
        case DialogControl::Order:
            SelectOrder(over->index);
            break;
        case DialogControl::Transparency:
        case DialogControl::Link:
            break;  // they act on the release
    }
}

// The mouse is let go before acting, so that a modal window the action opens gets it.
void SettingsDialog::OnRelease(std::optional<HitArea> over) {
    if (!pressed_) return;
    const HitArea took = *pressed_;
    pressed_.reset();
    dragging_ = false;
    platform_.ReleaseMouse();
    switch (took.control) {
        case DialogControl::Close:
            view_.closePicture = StorePicture::CloseAtRest;
            platform_.PumpMessages();
            CloseRequested();
            break;
        case DialogControl::Button:
            ReleaseButton(took.index);
            break;
        case DialogControl::Transparency:
            // Only a click completed over the same option selects it.
            if (over && SameControl(*over, took)) SelectTransparency(took.index);
            break;
        case DialogControl::Link:
            platform_.OpenAddress(dialog_text::kAddress);
            break;
        case DialogControl::TitleStrip:
        case DialogControl::Kind:
        case DialogControl::SubFolders:
        case DialogControl::Caption:
        case DialogControl::Order:
            break;  // they acted on the press
    }
}

void SettingsDialog::OnMouseMove() {
    if (!dragging_) return;
    if (const std::optional<PixelPoint> cursor = platform_.CursorPosition())
        platform_.MoveWindowTo({cursor->x - dragOffset_.x, cursor->y - dragOffset_.y});
}

void SettingsDialog::OnCaptureLost() {
    if (!pressed_) return;
    pressed_.reset();
    dragging_ = false;
    view_.buttonFaces.fill(StorePicture::ButtonAtRest);
    view_.closePicture = StorePicture::CloseAtRest;
}

void SettingsDialog::ClearList() {
    view_.fileList.clear();
    ++view_.fileListGeneration;
}

// The count stays as it was for an empty catalogue: empty after opening, "" after a kind's
// rescan found nothing.
void SettingsDialog::RefillFileList() {
    ClearList();
    for (const std::string& path : pendingCatalogue_.ImageFiles)
        view_.fileList.emplace_back(CataloguedName(path, pending_.ImageFolder));
    if (!view_.fileList.empty()) ShowFileCount(view_.fileList.size());
}

void SettingsDialog::ShowFileCount(std::size_t count) {
    view_.fileCountText = std::to_string(count);
}

CatalogueEnd SettingsDialog::ListFolder() {
    listing_ = true;
    const FolderScope scope = ScopeOf(pending_);
    const CatalogueEnd end = BuildCatalogue(
        files_, pending_.ImageFolder, pending_.KindEnabled, pendingCatalogue_,
        [this](int found) {
            ShowFileCount(static_cast<std::size_t>(found));
            platform_.PumpMessages();
            return true;
        },
        scope);
    listing_ = false;
    if (end == CatalogueEnd::Full)
        platform_.ShowMessage(dialog_text::TooManyFiles(MaxImageCount(scope)));
    if (end == CatalogueEnd::Unreadable) platform_.ShowMessage(dialog_text::kFolderUnreadable);
    return end;
}

void SettingsDialog::ToggleKind(int index) {
    const auto kind = static_cast<std::size_t>(index);
    ToggleCheck(pending_.KindEnabled[kind], view_.kindBoxes[kind]);
}

void SettingsDialog::ToggleSubFolders() {
    ToggleCheck(pending_.SubFolders, view_.subFoldersBox[0]);
}

void SettingsDialog::ToggleCaption() {
    ToggleCheck(pending_.Caption, view_.captionBox[0]);
}

// Rescans the folder the page shows, which may be one chosen or cleared but not yet saved.
// While a folder is being read, no other listing starts.
void SettingsDialog::ToggleCheck(std::int16_t& enabled, StorePicture& box) {
    if (listing_) return;
    enabled ^= 1;
    if (const StorePicture picture = CheckPicture(enabled); picture != StorePicture::None)
        box = picture;
    platform_.PumpMessages();
    if (pending_.ImageFolder.empty() || !FolderExists(files_, pending_.ImageFolder)) return;
    view_.fileCountText.clear();
    ListFolder();
    RefillFileList();
}

void SettingsDialog::SelectOrder(int index) {
    SelectRadio(view_.orderRadios, index);
    pending_.OrderMode = static_cast<std::int16_t>(index);
}

void SettingsDialog::SelectTransparency(int index) {
    SelectRadio(view_.transparencyRadios, index);
    pending_.TransparencyMode = static_cast<std::int16_t>(index);
}

void SettingsDialog::SpinInterval(int steps) {
    pending_.IntervalSeconds = static_cast<std::int16_t>(
        std::clamp<int>(pending_.IntervalSeconds + steps, kShortestInterval, kLongestInterval));
    ShowInterval();
}

void SettingsDialog::ShowInterval() {
    view_.intervalPosition = pending_.IntervalSeconds;
    view_.intervalText =
        std::to_string(pending_.IntervalSeconds) + std::string(dialog_text::kSeconds);
}

// While a folder is being read, nothing may start another listing or close the dialog under
// it: those buttons only come back up.
void SettingsDialog::ReleaseButton(int index) {
    view_.buttonFaces[static_cast<std::size_t>(index)] = StorePicture::ButtonAtRest;
    platform_.PumpMessages();
    if (listing_) return;
    switch (index) {
        case kFolderButton:
            BrowseForImageFolder();
            break;
        case kClearButton:
            ClearPage();
            break;
        case kSetButton:
            Save();
            break;
        case kCancelButton:
            Close();
            break;
        default:
            break;
    }
}

// A failed save keeps the dialog open with everything chosen in it, so the user can put the
// cause right and press set again, or cancel.
void SettingsDialog::Save() {
    if (SaveSettings(files_, codePage_, location_, pending_)) {
        Close();
    } else {
        platform_.ShowMessage(dialog_text::SaveFailed(location_.settingsFile));
    }
}

// The folder, the list and the count go; the settings keep every other choice.
void SettingsDialog::ClearPage() {
    ClearList();
    pending_.ImageFolder.clear();
    pendingCatalogue_ = Catalogue{};
    view_.folderText.clear();
    view_.fileCountText.clear();
    view_.previewShown = false;
    ++view_.previewGeneration;
    view_.previewSizeText.clear();
}

void SettingsDialog::CloseRequested() {
    if (!listing_) Close();
}

void SettingsDialog::Close() {
    platform_.Unload();
}

// A picture that cannot be loaded leaves the previous one, which is shown again.
void SettingsDialog::PreviewFile(int line) {
    if (line < 0 || static_cast<std::size_t>(line) >= view_.fileList.size()) return;
    platform_.ShowBusyCursor(true);
    const std::string path = WithTrailingSeparator(view_.folderText, files_.Paths()) +
                             view_.fileList[static_cast<std::size_t>(line)];
    std::optional<Image> picture = platform_.LoadPicture(path);
    view_.previewNote.clear();
    if (picture)
        view_.previewPicture = std::move(*picture);
    else
        view_.previewNote = dialog_text::ExtensionsNeeded(platform_.MissingSystemExtensions(path));
    if (view_.previewNote.empty()) {
        const PixelSize size{view_.previewPicture.width, view_.previewPicture.height};
        view_.previewSizeText = std::to_string(size.width) + " * " + std::to_string(size.height);
        view_.previewBox = FitPreview(size);
    } else {  // the note takes the whole box
        view_.previewSizeText.clear();
        view_.previewBox = {layout::kPreview.width, layout::kPreview.height};
    }
    view_.previewShown = true;
    ++view_.previewGeneration;
    platform_.ShowBusyCursor(false);
}

// Cancelling the browser, or choosing something that is no folder of files, keeps the
// folder, the list and the count as they were.
void SettingsDialog::BrowseForImageFolder() {
    const std::optional<std::string> folder = platform_.BrowseForFolder();
    if (!folder) return;
    pending_.ImageFolder = *folder;
    view_.folderText = *folder;
    ListFolder();
    RefillFileList();
    ShowFileCount(view_.fileList.size());
}

}  // namespace vexaframe
