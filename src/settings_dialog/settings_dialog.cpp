#include "settings_dialog/settings_dialog.h"

#include <algorithm>
#include <utility>

#include "settings/catalogue.h"

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

}  // namespace

std::string StoredFileName(FileSystem& files, const std::string& path) {
    std::string name;
    files.ListMatches(path, [&name](const FolderEntry& entry) {
        name = entry.name;
        return false;
    });
    return name;
}

SettingsDialog::SettingsDialog(RunState& run, FileSystem& files, const CodePage& codePage,
                               SettingsLocation location, DialogPlatform& platform)
    : run_(run),
      files_(files),
      codePage_(codePage),
      location_(std::move(location)),
      platform_(platform) {}

// A value outside what a control can show leaves the control as it was designed.
void SettingsDialog::Form_Load() {
    const Settings& settings = run_.settings;
    view_.Img_Button.fill(StorePicture::ButtonAtRest);
    if (Within(settings.OrderMode, 0, 1)) SelectRadio(view_.Img_SR, settings.OrderMode);
    if (Within(settings.TransparencyMode, 0, 2))
        SelectRadio(view_.Img_Tomei, settings.TransparencyMode);
    else
        view_.Img_Tomei.fill(StorePicture::RadioOff);
    RefillFileList();
    view_.lbl_PreSize.clear();
    view_.Folder_Path = settings.ImageFolder;
    for (std::size_t i = 0; i < view_.Img_Kind.size(); ++i)
        view_.Img_Kind[i] = CheckPicture(settings.KindEnabled[i]);
    if (Within(settings.IntervalSeconds, kIntervalLowest, kIntervalHighest))
        view_.HS_Interval = settings.IntervalSeconds;
    HS_Interval_Change(view_.HS_Interval);
}

void SettingsDialog::ClearList() {
    view_.List_1.clear();
    ++view_.ListGeneration;
}

void SettingsDialog::RefillFileList() {
    ClearList();
    const Catalogue& catalogue = run_.catalogue;
    for (int number = 1; number <= catalogue.ImageCount; ++number)
        view_.List_1.push_back(StoredFileName(files_, catalogue.ImageFile(number)));
    if (catalogue.ImageCount != 0) view_.lbl_Kei = std::to_string(view_.List_1.size());
}

// Rescans the folder the page shows, which may be one chosen or cleared but not yet saved.
void SettingsDialog::ToggleKind(int index) {
    if (listing_) return;
    std::int16_t& enabled = run_.settings.KindEnabled[static_cast<std::size_t>(index)];
    enabled ^= 1;
    if (const StorePicture picture = CheckPicture(enabled); picture != StorePicture::None)
        view_.Img_Kind[static_cast<std::size_t>(index)] = picture;
    platform_.PumpMessages();
    run_.settings.ImageFolder = view_.Folder_Path;
    if (view_.Folder_Path.empty() || !FolderExists(files_, view_.Folder_Path)) return;
    view_.lbl_Kei.clear();
    BuildCatalogue(files_, view_.Folder_Path, run_.settings.KindEnabled, run_.catalogue);
    RefillFileList();
}

void SettingsDialog::SelectOrder(int index) {
    SelectRadio(view_.Img_SR, index);
    run_.settings.OrderMode = static_cast<std::int16_t>(index);
}

void SettingsDialog::SelectTransparency(int index) {
    SelectRadio(view_.Img_Tomei, index);
    run_.settings.TransparencyMode = static_cast<std::int16_t>(index);
}

void SettingsDialog::SpinInterval(int steps) {
    HS_Interval_Change(std::clamp(view_.HS_Interval + steps, kIntervalLowest, kIntervalHighest));
}

void SettingsDialog::HS_Interval_Change(int value) {
    view_.HS_Interval = value;
    view_.lbl_Sec = std::to_string(value) + std::string(dialog_text::kSeconds);
}

void SettingsDialog::lbl_Button_MouseDown(int index) {
    view_.Img_Button[static_cast<std::size_t>(index)] = StorePicture::ButtonPressed;
}

// While a browse reads its folder, nothing may start another listing or close the dialog
// under it: those buttons only come back up.
void SettingsDialog::lbl_Button_MouseUp(int index) {
    view_.Img_Button[static_cast<std::size_t>(index)] = StorePicture::ButtonAtRest;
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
            run_.settings.IntervalSeconds = static_cast<std::int16_t>(view_.HS_Interval);
            run_.settings.ImageFolder = view_.Folder_Path;
            if (SaveSettings(files_, codePage_, location_, run_.settings)) Close();
            break;
        case kCancelButton:
            Close();
            break;
        default:
            break;
    }
}

void SettingsDialog::ClearPage() {
    ClearList();
    view_.Folder_Path.clear();
    view_.lbl_Kei.clear();
    view_.PreviewShown = false;
    ++view_.PreviewGeneration;
    view_.lbl_PreSize.clear();
}

void SettingsDialog::ImgExit_MouseDown() {
    view_.ImgExit = StorePicture::ClosePressed;
}

void SettingsDialog::ImgExit_MouseUp() {
    view_.ImgExit = StorePicture::CloseAtRest;
    platform_.PumpMessages();
    CloseRequested();
}

void SettingsDialog::CloseRequested() {
    if (!listing_) Close();
}

void SettingsDialog::Close() {
    platform_.Unload();
}

void SettingsDialog::lbl_URL_MouseUp() {
    platform_.OpenAddress(dialog_text::kAddress);
}

void SettingsDialog::Image1_MouseDown(MouseButton button) {
    if (button != MouseButton::Left) return;
    const std::optional<PixelPoint> cursor = platform_.CursorPosition();
    if (!cursor) return;
    const PixelPoint window = platform_.WindowPosition();
    Dragging = true;
    DragOffset = {cursor->x - window.x, cursor->y - window.y};
}

void SettingsDialog::Image1_MouseMove() {
    if (!Dragging) return;
    if (const std::optional<PixelPoint> cursor = platform_.CursorPosition())
        platform_.MoveWindowTo({cursor->x - DragOffset.x, cursor->y - DragOffset.y});
}

void SettingsDialog::Image1_MouseUp() {
    Dragging = false;
}

// A picture that cannot be loaded leaves the previous one in Pic_F, which is shown again.
void SettingsDialog::List_1_Click(int line) {
    if (line < 0 || static_cast<std::size_t>(line) >= view_.List_1.size()) return;
    platform_.ShowBusyCursor(true);
    const std::string path = WithTrailingSeparator(view_.Folder_Path, files_.Paths()) +
                             view_.List_1[static_cast<std::size_t>(line)];
    if (std::optional<Image> picture = platform_.LoadPicture(path))
        view_.Pic_F = std::move(*picture);
    const PixelSize size{view_.Pic_F.width, view_.Pic_F.height};
    view_.lbl_PreSize = std::to_string(size.width) + " * " + std::to_string(size.height);
    view_.Pic_K = FitPreview(size);
    view_.PreviewShown = true;
    ++view_.PreviewGeneration;
    platform_.ShowBusyCursor(false);
}

// Cancelling the browser, or choosing something that is no folder of files, keeps the
// folder, the list and the count as they were.
void SettingsDialog::BrowseForImageFolder() {
    const std::optional<std::string> folder = platform_.BrowseForFolder();
    if (!folder) return;
    view_.Folder_Path = *folder;
    listing_ = true;
    const CatalogueEnd end =
        BuildCatalogue(files_, *folder, run_.settings.KindEnabled, run_.catalogue, [this](int found) {
            ShowFileCount(static_cast<std::size_t>(found));
            platform_.PumpMessages();
            return true;
        });
    listing_ = false;
    if (end == CatalogueEnd::Full) platform_.ShowMessage(dialog_text::kTooManyFiles);
    if (end == CatalogueEnd::Unreadable) platform_.ShowMessage(dialog_text::kFolderUnreadable);
    ClearList();
    for (const std::string& path : run_.catalogue.ImageFiles)
        view_.List_1.push_back(std::string(FileNameOf(path, files_.Paths())));
    ShowFileCount(view_.List_1.size());
}

void SettingsDialog::ShowFileCount(std::size_t count) {
    view_.lbl_Kei = std::to_string(count);
}

}  // namespace vexaframe
