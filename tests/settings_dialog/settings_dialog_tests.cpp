#include <gtest/gtest.h>

#include "settings/catalogue.h"
#include "settings/settings_keys.h"
#include "settings_dialog/settings_dialog.h"
#include "support/ascii_code_page.h"
#include "support/fake_file_system.h"

namespace vexaframe {
namespace {

using Pictures4 = std::array<StorePicture, 4>;
using Lines = std::vector<std::string>;
constexpr StorePicture kOff = StorePicture::CheckOff, kOn = StorePicture::CheckOn;
constexpr StorePicture kRadioOff = StorePicture::RadioOff, kRadioOn = StorePicture::RadioOn;

const std::string kIni = "C:\\Saver\\Vexaframe.ini";

class FakeDialogPlatform : public DialogPlatform {
public:
    std::optional<std::string> chosenFolder;
    std::function<void()> duringPump;  // what the user does while messages run
    std::vector<std::string> countsSeen;
    const DialogView* view = nullptr;
    std::vector<std::wstring> messages;
    std::vector<std::string> opened;
    int unloads = 0;
    int busy = 0;
    PixelPoint cursor, window{100, 100};

    void PumpMessages() override {
        if (view && (countsSeen.empty() || countsSeen.back() != view->lbl_Kei))
            countsSeen.push_back(view->lbl_Kei);
        if (duringPump && !pumping_) {
            pumping_ = true;  // the user's clicks are handled once, not again in their own pumps
            duringPump();
            pumping_ = false;
        }
    }
    std::optional<std::string> BrowseForFolder() override { return chosenFolder; }
    std::optional<Image> LoadPicture(const std::string& path) override {
        if (path.ends_with("broken.jpg")) return std::nullopt;
        return path.ends_with("tall.bmp") ? Image(480, 640) : Image(640, 480);
    }
    void ShowMessage(std::wstring_view text) override { messages.emplace_back(text); }
    void OpenAddress(std::string_view address) override { opened.emplace_back(address); }
    void ShowBusyCursor(bool on) override { busy += on ? 1 : -1; }
    void Unload() override { ++unloads; }
    std::optional<PixelPoint> CursorPosition() override { return cursor; }
    PixelPoint WindowPosition() override { return window; }
    void MoveWindowTo(PixelPoint topLeft) override { window = topLeft; }

private:
    bool pumping_ = false;
};

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() : run("/c", UniformRandom(1)) {
        files.AddFolder("C:\\Saver");
        files.AddFile("C:\\Pictures\\A.bmp", "", attribute::kArchive);
        files.AddFile("C:\\Pictures\\B.jpg", "", 0);
        files.AddFile("C:\\Pictures\\C.gif", "", attribute::kArchive);
        files.AddFile("C:\\Other\\D.wmf");
        run.settings = {1, 10, 2, {1, 1, 1, 1}, "C:\\Pictures"};
    }

    SettingsDialog& Open() {
        BuildCatalogue(files, run.settings.ImageFolder, run.settings.KindEnabled, run.catalogue);
        dialog = std::make_unique<SettingsDialog>(run, files, codePage,
                                                  SettingsLocation{kIni, kIni, ""}, platform);
        platform.view = &dialog->View();
        dialog->Form_Load();
        return *dialog;
    }
    const DialogView& View() const { return dialog->View(); }

    FakeFileSystem files;
    AsciiCodePage codePage;
    RunState run;
    FakeDialogPlatform platform;
    std::unique_ptr<SettingsDialog> dialog;
};

TEST_F(SettingsDialogTest, OpeningShowsTheSettingsAndTheCatalogue) {
    Open();
    EXPECT_EQ(View().Img_Kind, (Pictures4{kOn, kOn, kOn, kOn}));
    EXPECT_EQ(View().Img_SR, (std::array{kRadioOff, kRadioOn}));
    EXPECT_EQ(View().Img_Tomei, (std::array{kRadioOff, kRadioOff, kRadioOn}));
    EXPECT_EQ(View().List_1, (Lines{"A.bmp", "B.jpg", "C.gif"}));  // catalogue order
    EXPECT_EQ(View().lbl_Kei, "3");
    EXPECT_EQ(View().Folder_Path, "C:\\Pictures");
    EXPECT_EQ(View().lbl_Sec, "10 秒");
    EXPECT_EQ(View().lbl_PreSize, "");
}

TEST_F(SettingsDialogTest, ValuesNoControlCanShowLeaveTheDesign) {
    run.settings = {7, 500, -1, {2, 0, 1, 1}, ""};
    Open();
    EXPECT_EQ(View().Img_SR, (std::array{StorePicture::None, StorePicture::None}));
    EXPECT_EQ(View().Img_Tomei, (std::array{kRadioOff, kRadioOff, kRadioOff}));
    EXPECT_EQ(View().Img_Kind, (Pictures4{StorePicture::None, kOff, kOn, kOn}));
    EXPECT_EQ(View().lbl_Sec, "30 秒");  // the spinner's own starting value
    EXPECT_TRUE(View().List_1.empty());
    EXPECT_EQ(View().lbl_Kei, "");  // not "0"

    run.settings = {0, 10, 0, {1, 1, 1, 1}, "C:\\Pictures"};
    Open();
    files.RemoveFile("C:\\Pictures\\B.jpg");  // gone since the scan: an empty line, counted
    dialog->RefillFileList();
    EXPECT_EQ(View().List_1, (Lines{"A.bmp", "", "C.gif"}));
    EXPECT_EQ(View().lbl_Kei, "3");
}

TEST_F(SettingsDialogTest, AKindToggleRescansTheFolderThePageShows) {
    Open();
    platform.chosenFolder = "C:\\Other";  // chosen, not saved
    dialog->BrowseForImageFolder();
    dialog->ToggleKind(0);
    EXPECT_EQ(run.settings.KindEnabled[0], 0);
    EXPECT_EQ(View().Img_Kind[0], kOff);
    EXPECT_EQ(run.settings.ImageFolder, "C:\\Other");
    EXPECT_EQ(View().List_1, (Lines{"D.wmf"}));
    dialog->ToggleKind(3);
    EXPECT_TRUE(View().List_1.empty());
    EXPECT_EQ(View().lbl_Kei, "");
    dialog->ToggleKind(3);  // back as it was
    EXPECT_EQ(View().List_1, (Lines{"D.wmf"}));

    dialog->lbl_Button_MouseDown(1);  // clear: a toggle then changes the flag only
    dialog->lbl_Button_MouseUp(1);
    const int listings = static_cast<int>(files.ListingCalls());
    dialog->ToggleKind(1);
    EXPECT_EQ(run.settings.KindEnabled[1], 0);
    EXPECT_EQ(View().Img_Kind[1], kOff);
    EXPECT_TRUE(View().List_1.empty());
    EXPECT_EQ(static_cast<int>(files.ListingCalls()), listings);

    run.settings.KindEnabled[2] = 2;  // no picture for 2 or 3: the box keeps its own
    dialog->ToggleKind(2);
    EXPECT_EQ(run.settings.KindEnabled[2], 3);
    EXPECT_EQ(View().Img_Kind[2], kOn);
}

TEST_F(SettingsDialogTest, RadiosFollowTheChoice) {
    Open();
    dialog->SelectOrder(0);
    EXPECT_EQ(View().Img_SR, (std::array{kRadioOn, kRadioOff}));
    EXPECT_EQ(run.settings.OrderMode, 0);
    dialog->SelectTransparency(1);
    dialog->SelectTransparency(1);
    EXPECT_EQ(View().Img_Tomei, (std::array{kRadioOff, kRadioOn, kRadioOff}));
    EXPECT_EQ(run.settings.TransparencyMode, 1);
}

TEST_F(SettingsDialogTest, TheSpinnerStaysWithinTenToSixtySeconds) {
    run.settings.IntervalSeconds = 59;
    Open();
    dialog->SpinInterval(1);
    dialog->SpinInterval(1);
    EXPECT_EQ(View().HS_Interval, 60);
    EXPECT_EQ(View().lbl_Sec, "60 秒");
    for (int i = 0; i < 60; ++i) dialog->SpinInterval(-1);
    EXPECT_EQ(View().lbl_Sec, "10 秒");
    EXPECT_EQ(run.settings.IntervalSeconds, 59);  // only saving takes the spinner's value
}

TEST_F(SettingsDialogTest, SetAfterClearSavesAnEmptyFolderAndWhatIsShown) {
    Open();
    dialog->SpinInterval(5);
    dialog->SelectOrder(0);
    dialog->ToggleKind(3);
    dialog->lbl_Button_MouseDown(1);
    dialog->lbl_Button_MouseUp(1);
    EXPECT_TRUE(View().List_1.empty());
    EXPECT_EQ(View().lbl_Kei, "");
    EXPECT_FALSE(View().PreviewShown);
    dialog->lbl_Button_MouseDown(2);
    EXPECT_EQ(View().Img_Button[2], StorePicture::ButtonPressed);
    dialog->lbl_Button_MouseUp(2);
    EXPECT_EQ(View().Img_Button[2], StorePicture::ButtonAtRest);
    EXPECT_EQ(platform.unloads, 1);
    EXPECT_EQ(*files.FileBytes(kIni),
              "[Section]\r\n" + std::string(settings_keys::kOrderMode) + "= 0\r\n" +
                  std::string(settings_keys::kInterval) + "= 15\r\n" +
                  std::string(settings_keys::kTransparency) + "= 2\r\n" +
                  std::string(settings_keys::kImageFolder) + "=\r\n" + settings_keys::KindKey(0) +
                  "= 1\r\n" + settings_keys::KindKey(1) + "= 1\r\n" + settings_keys::KindKey(2) +
                  "= 1\r\n" + settings_keys::KindKey(3) + "= 0\r\n");
}

TEST_F(SettingsDialogTest, CancelAndTheCloseButtonWriteNothing) {
    Open();
    dialog->lbl_Button_MouseUp(1);
    dialog->lbl_Button_MouseUp(3);
    dialog->ImgExit_MouseDown();
    EXPECT_EQ(View().ImgExit, StorePicture::ClosePressed);
    dialog->ImgExit_MouseUp();
    EXPECT_EQ(View().ImgExit, StorePicture::CloseAtRest);
    EXPECT_EQ(platform.unloads, 2);
    EXPECT_FALSE(files.FileExists(kIni));
}

TEST_F(SettingsDialogTest, ABrowseListsPassByPassKindByKindCountingUp) {
    Open();
    platform.chosenFolder = "C:\\Pictures";
    platform.countsSeen.clear();
    dialog->lbl_Button_MouseUp(0);
    // B.jpg has no attribute (first pass); A.bmp and C.gif are archive-only.
    EXPECT_EQ(View().List_1, (Lines{"B.jpg", "A.bmp", "C.gif"}));
    EXPECT_EQ(platform.countsSeen, (Lines{"3", "1", "2", "3"}));
    EXPECT_EQ(View().lbl_Kei, "3");
    EXPECT_EQ(run.settings.ImageFolder, "C:\\Pictures");  // the browse saves nothing

    platform.chosenFolder = "C:\\Saver";  // no pictures: an empty list, and 0
    dialog->BrowseForImageFolder();
    EXPECT_TRUE(View().List_1.empty());
    EXPECT_EQ(View().lbl_Kei, "0");

    platform.chosenFolder.reset();  // cancelled: everything stays
    dialog->BrowseForImageFolder();
    EXPECT_EQ(View().Folder_Path, "C:\\Saver");
    EXPECT_EQ(View().lbl_Kei, "0");
}

TEST_F(SettingsDialogTest, WhileABrowseListsNothingStartsAnotherListingOrCloses) {
    Open();
    platform.chosenFolder = "C:\\Pictures";
    platform.duringPump = [&] {
        dialog->ToggleKind(0);
        dialog->lbl_Button_MouseUp(0);
        dialog->lbl_Button_MouseUp(3);
        dialog->ImgExit_MouseUp();
        dialog->CloseRequested();
        dialog->List_1_Click(0);  // the preview still works
    };
    dialog->BrowseForImageFolder();
    platform.duringPump = nullptr;
    EXPECT_EQ(run.settings.KindEnabled[0], 1);
    EXPECT_EQ(platform.unloads, 0);
    EXPECT_EQ(View().List_1, (Lines{"B.jpg", "A.bmp", "C.gif"}));
    EXPECT_EQ(View().lbl_PreSize, "640 * 480");
    dialog->CloseRequested();
    EXPECT_EQ(platform.unloads, 1);
}

TEST_F(SettingsDialogTest, AFullListSaysSoOnceAFailingListingEachTimeOnce) {
    Open();
    files.AddFolder("C:\\Many");
    for (int i = 0; i < kMaxImageCount + 5; ++i)
        files.AddFile("C:\\Many\\" + std::to_string(i) + ".bmp", "", 0);
    platform.chosenFolder = "C:\\Many";
    dialog->BrowseForImageFolder();
    EXPECT_EQ(View().List_1.size(), static_cast<std::size_t>(kMaxImageCount));
    EXPECT_EQ(platform.messages,
              (std::vector<std::wstring>{std::wstring(dialog_text::kTooManyFiles)}));

    platform.messages.clear();
    files.listingsFailAfter = 0;  // a listing fails at its first match: three kinds, 3 passes
    platform.chosenFolder = "C:\\Pictures";
    dialog->BrowseForImageFolder();
    EXPECT_EQ(platform.messages,
              std::vector<std::wstring>(9, std::wstring(dialog_text::kFolderUnreadable)));
}

TEST_F(SettingsDialogTest, APreviewShowsTheSizeAndFitsTheBox) {
    Open();
    dialog->List_1_Click(-1);
    dialog->List_1_Click(3);
    EXPECT_EQ(View().lbl_PreSize, "");
    EXPECT_FALSE(View().PreviewShown);

    dialog->List_1_Click(0);
    EXPECT_EQ(View().lbl_PreSize, "640 * 480");
    EXPECT_EQ(View().Pic_K, (PixelSize{100, 75}));
    EXPECT_TRUE(View().PreviewShown);
    EXPECT_EQ(platform.busy, 0);  // the busy cursor went again

    files.AddFile("C:\\Pictures\\broken.jpg", "", 0);
    platform.chosenFolder = "C:\\Pictures";
    dialog->BrowseForImageFolder();
    dialog->List_1_Click(0);  // cannot be loaded: the previous picture stays
    EXPECT_EQ(View().List_1[0], "B.jpg");
    dialog->List_1_Click(1);
    EXPECT_EQ(View().List_1[1], "broken.jpg");
    EXPECT_EQ(View().lbl_PreSize, "640 * 480");
}

TEST_F(SettingsDialogTest, TheTitleStripDragsWithTheLeftButtonOnly) {
    Open();
    platform.cursor = {150, 110};
    dialog->Image1_MouseDown(MouseButton::Right);
    platform.cursor = {400, 300};
    dialog->Image1_MouseMove();
    EXPECT_EQ(platform.window, (PixelPoint{100, 100}));

    platform.cursor = {150, 110};
    dialog->Image1_MouseDown(MouseButton::Left);
    platform.cursor = {3000, 2000};  // past what 16-bit twips could hold
    dialog->Image1_MouseMove();
    EXPECT_EQ(platform.window, (PixelPoint{2950, 1990}));
    dialog->Image1_MouseUp();
    platform.cursor = {0, 0};
    dialog->Image1_MouseMove();
    EXPECT_EQ(platform.window, (PixelPoint{2950, 1990}));
}

TEST_F(SettingsDialogTest, TheLinkOpensItsAddress) {
    Open();
    dialog->lbl_URL_MouseUp();
    EXPECT_EQ(platform.opened, (Lines{std::string(dialog_text::kAddress)}));
    EXPECT_EQ(platform.unloads, 0);
}

}  // namespace
}  // namespace vexaframe
