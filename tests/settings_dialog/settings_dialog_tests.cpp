#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>

#include "settings_dialog/settings_dialog.h"
#include "support/ascii_code_page.h"
#include "support/fake_file_system.h"
#include "support/settings_fields.h"

namespace vexaframe {
namespace {

using enum DialogControl;
using Lines = std::vector<std::string>;
const std::string kIni = "C:\\Saver\\Vexaframe.ini";
constexpr int kFolder = 0, kClear = 1, kSet = 2, kCancel = 3;  // the push buttons
constexpr MouseButton kLeft = MouseButton::Left, kRight = MouseButton::Right;

std::optional<HitArea> Over(DialogControl control, int index = 0) {
    return HitArea{control, index, {}};
}
constexpr std::optional<HitArea> kNowhere;

std::size_t Count(std::string_view text, std::string_view word) {
    std::size_t count = 0;
    for (auto at = text.find(word); at != text.npos; at = text.find(word, at + 1)) ++count;
    return count;
}

// Writes down what the dialog asks of the platform, in order, pumps apart.
class FakeDialogPlatform : public DialogPlatform {
public:
    std::string calls;
    std::optional<std::string> chosenFolder;
    std::function<void()> duringPump;  // what the user does while messages run
    Lines countsSeen;                  // the file count at each pump
    const DialogView* view = nullptr;
    int busy = 0;
    PixelPoint cursor, window{100, 100};
    std::string loaded;                    // the picture asked for last
    std::vector<SystemExtension> missing;  // what a picture that gives nothing lacks

    void PumpMessages() override {
        if (view) countsSeen.push_back(view->fileCountText);
        if (duringPump && !pumping_) {
            pumping_ = true;  // the user's clicks are handled once, not again in their own pumps
            duringPump();
            pumping_ = false;
        }
    }
    std::optional<std::string> BrowseForFolder() override {
        calls += "browse ";
        return chosenFolder;
    }
    std::optional<Image> LoadPicture(const std::string& path) override {
        loaded = path;
        if (path.ends_with("broken.jpg")) return std::nullopt;
        return Image(640, 480);
    }
    std::vector<SystemExtension> MissingSystemExtensions(const std::string&) override {
        return missing;
    }
    void ShowMessage(std::string_view text) override { calls += "[" + std::string(text) + "] "; }
    void OpenAddress(std::string_view address) override { calls += std::string(address) + " "; }
    void ShowBusyCursor(bool on) override { busy += on ? 1 : -1; }
    void Unload() override { calls += "unload "; }
    void CaptureMouse() override { calls += "capture "; }
    void ReleaseMouse() override { calls += "free "; }
    std::optional<PixelPoint> CursorPosition() override { return cursor; }
    PixelPoint WindowPosition() override { return window; }
    void MoveWindowTo(PixelPoint topLeft) override { window = topLeft; }

private:
    bool pumping_ = false;
};

// The options as their pictures show them: kinds, order, transparency; "-" for no picture.
std::string Options(const DialogView& view) {
    std::string shown;
    const auto add = [&shown](const auto& pictures) {
        for (StorePicture p : pictures)
            shown += p == StorePicture::CheckOn || p == StorePicture::RadioOn     ? '1'
                     : p == StorePicture::CheckOff || p == StorePicture::RadioOff ? '0'
                                                                                  : '-';
        shown += ' ';
    };
    add(view.kindBoxes);
    add(view.orderRadios);
    add(view.transparencyRadios);
    shown.pop_back();
    return shown;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() {
        files.AddFolder("C:\\Saver");
        files.AddFile("C:\\Pictures\\A.bmp", "", attribute::kArchive);
        files.AddFile("C:\\Pictures\\B.jpg", "", 0);
        files.AddFile("C:\\Pictures\\C.gif", "", attribute::kArchive);
        files.AddFile("C:\\Other\\D.wmf");
    }

    // As the program starts it: the settings loaded, the catalogue built from them.
    void Open() {
        BuildCatalogue(files, settings.ImageFolder, settings.KindEnabled, catalogue);
        platform = FakeDialogPlatform{};
        dialog = std::make_unique<SettingsDialog>(settings, catalogue, files, codePage,
                                                  SettingsLocation{kIni, kIni, ""}, platform);
        platform.view = &dialog->View();
        dialog->OnLoad();
    }
    void Click(std::optional<HitArea> over) {
        dialog->OnPress(over, kLeft);
        dialog->OnRelease(over);
    }
    void Press(int button) { Click(Over(Button, button)); }
    const DialogView& View() const { return dialog->View(); }
    // The settings as the saver reads them from the file.
    Settings Saved() {
        Settings saved;
        Catalogue unused;
        ReadSettings(files, codePage, {kIni, kIni, ""}, saved);
        BuildCatalogueOfSettings(files, saved, unused);
        return saved;
    }

    FakeFileSystem files;
    AsciiCodePage codePage;
    Settings settings{1, 10, 2, {1, 1, 1, 1, 1, 1, 1, 1}, "C:\\Pictures"};
    Catalogue catalogue;
    FakeDialogPlatform platform;
    std::unique_ptr<SettingsDialog> dialog;
};

TEST_F(SettingsDialogTest, OpeningShowsTheSettingsAndValuesNoControlCanShowLeaveTheDesign) {
    Open();
    EXPECT_EQ(Options(View()), "11111111 01 001");
    EXPECT_EQ(View().fileList, (Lines{"A.bmp", "B.jpg", "C.gif"}));  // catalogue order
    EXPECT_EQ(View().fileCountText, "3");
    EXPECT_EQ(View().folderText, "C:\\Pictures");
    EXPECT_EQ(View().intervalText, "10 秒");
    EXPECT_EQ(View().previewSizeText, "");

    settings = {7, 500, -1, {2, 0, 1, 1, 0, 1, -1, 1}, ""};
    Open();
    EXPECT_EQ(Options(View()), "-01101-1 -- 000");
    EXPECT_EQ(View().intervalText, "30 秒");  // the spinner's own starting value
    EXPECT_TRUE(View().fileList.empty());
    EXPECT_EQ(View().fileCountText, "");  // not "0"
}

// Kinds and orders act at the press, the transparency on a click completed over the same
// option, the others at the release; the control that took the press takes the release,
// wherever it happens, and lets the mouse go before it acts.
TEST_F(SettingsDialogTest, TheControlThatTookThePressTakesTheRelease) {
    struct Case {
        std::optional<HitArea> press;
        MouseButton button;
        std::optional<HitArea> release;
        std::string atPress, atRelease, calls;
    };
    const std::string as = "11111111 01 001";  // as opened
    const Case cases[] = {
        {Over(Kind, 1), kRight, Over(Order, 0), "10111111 01 001", "10111111 01 001",
         "capture free "},
        {Over(Order, 0), MouseButton::Middle, kNowhere, "11111111 10 001", "11111111 10 001",
         "capture free "},
        {Over(Transparency, 0), kLeft, Over(Transparency, 0), as, "11111111 01 100",
         "capture free "},
        {Over(Transparency, 0), kLeft, Over(Transparency, 1), as, as, "capture free "},
        {kNowhere, kLeft, Over(Kind, 0), as, as, ""},
        {Over(Button, kCancel), kRight, Over(Button, kFolder), as, as, "capture free unload "},
        {Over(Close), kRight, kNowhere, as, as, "capture free unload "},
        {Over(Link), kLeft, Over(TitleStrip), as, as,
         "capture free " + std::string(dialog_text::kAddress) + " "},
    };
    for (const Case& c : cases) {
        Open();
        dialog->OnPress(c.press, c.button);
        EXPECT_EQ(Options(View()), c.atPress);
        dialog->OnRelease(c.release);
        EXPECT_EQ(Options(View()), c.atRelease);
        EXPECT_EQ(platform.calls, c.calls) << c.atRelease;
    }
}

TEST_F(SettingsDialogTest, ASecondPressIsIgnoredAndAPressWhoseMouseIsTakenAwayIsUndone) {
    Open();
    dialog->OnPress(Over(Button, kSet), kLeft);
    EXPECT_EQ(View().buttonFaces[kSet], StorePicture::ButtonPressed);
    dialog->OnPress(Over(Button, kCancel), kRight);
    dialog->OnCaptureLost();
    EXPECT_EQ(View().buttonFaces[kSet], StorePicture::ButtonAtRest);
    dialog->OnRelease(Over(Button, kSet));
    EXPECT_EQ(platform.calls, "capture ");
    EXPECT_FALSE(files.FileExists(kIni));
}

TEST_F(SettingsDialogTest, TheTitleStripDragsWithTheLeftButtonOnly) {
    Open();
    for (const MouseButton button : {kRight, kLeft}) {
        platform.cursor = {150, 110};
        dialog->OnPress(Over(TitleStrip), button);
        platform.cursor = {3000, 2000};  // past what 16-bit twips could hold
        dialog->OnMouseMove();
        dialog->OnRelease(kNowhere);  // off the strip: still the end of the drag
        platform.cursor = {0, 0};
        dialog->OnMouseMove();
    }
    EXPECT_EQ(platform.window, (PixelPoint{2950, 1990}));
}

TEST_F(SettingsDialogTest, SetSavesWhatIsShownOnceTheOtherWaysOutNothing) {
    settings.IntervalSeconds = 500;  // the spinner cannot hold it: saved as its 30
    const std::function<void()> waysOut[] = {[&] { Press(kCancel); }, [&] { Click(Over(Close)); },
                                             [&] { dialog->CloseRequested(); },
                                             [&] { Press(kSet); }};
    for (const auto& wayOut : waysOut) {
        Open();
        Click(Over(Order, 0));
        Click(Over(Kind, 3));
        Press(kClear);
        EXPECT_TRUE(View().fileList.empty());
        EXPECT_EQ(View().fileCountText, "");
        wayOut();
        EXPECT_TRUE(platform.calls.ends_with("unload "));
    }
    EXPECT_EQ(files.writeCount, 1);
    EXPECT_EQ(Fields(Saved()), Fields(Settings{0, 30, 2, {1, 1, 1, 0, 1, 1, 1, 1}, ""}));
}

// Why a save fails (a full disk, a read-only file, a folder gone) is the settings' and the file
// system's to tell; the dialog sees only that it failed.
TEST_F(SettingsDialogTest, AFailedSaveSaysSoAndKeepsTheDialogOpenWithItsChoices) {
    files.AddFile(kIni, "[Section]\r\n");
    files.failWrites = true;
    Open();
    Click(Over(Order, 0));
    dialog->SpinInterval(3);
    Press(kSet);
    Press(kSet);
    const std::string saying = "[" + dialog_text::SaveFailed(kIni) + "] ";
    EXPECT_EQ(platform.calls, "capture free capture free " + saying + "capture free " + saying);
    EXPECT_EQ(files.FileBytes(kIni), "[Section]\r\n");
    EXPECT_EQ(Options(View()), "11111111 10 001");
    EXPECT_EQ(View().intervalText, "13 秒");

    files.failWrites = false;  // the disk has room again
    Press(kSet);
    EXPECT_TRUE(platform.calls.ends_with("unload "));
    EXPECT_EQ(Fields(Saved()),
              Fields(Settings{0, 13, 2, {1, 1, 1, 1, 1, 1, 1, 1}, "C:\\Pictures"}));
}

// The box beside the folder takes its sub-folders too: the list shows each picture's path from
// the folder, a click previews that picture, and Set saves the choice.
TEST_F(SettingsDialogTest, TheSubFoldersBoxListsThePicturesBelowTheFolderByTheirPathFromIt) {
    files.AddFile("C:\\Pictures\\2024\\07\\D.png");
    files.AddFile("C:\\Pictures\\@eaDir\\A.bmp\\SYNOFILE_THUMB_M.jpg");
    Open();
    EXPECT_EQ(View().subFoldersBox[0], StorePicture::CheckOff);
    EXPECT_EQ(View().fileList, (Lines{"A.bmp", "B.jpg", "C.gif"}));

    Click(Over(SubFolders));
    EXPECT_EQ(View().subFoldersBox[0], StorePicture::CheckOn);
    EXPECT_EQ(View().fileList, (Lines{"2024\\07\\D.png", "A.bmp", "B.jpg", "C.gif"}));
    EXPECT_EQ(View().fileCountText, "4");
    dialog->PreviewFile(0);
    EXPECT_EQ(platform.loaded, "C:\\Pictures\\2024\\07\\D.png");
    Press(kSet);
    EXPECT_EQ(Saved().SubFolders, 1);

    settings.SubFolders = 2;  // no box shows it: left as designed; the folder alone
    Open();
    EXPECT_EQ(View().subFoldersBox[0], StorePicture::None);
    EXPECT_EQ(View().fileList, (Lines{"A.bmp", "B.jpg", "C.gif"}));
}

// The caption box below the options: off until ticked, and saved with Set.
TEST_F(SettingsDialogTest, TheCaptionBoxTurnsCaptionsOnWhenSet) {
    Open();
    EXPECT_EQ(View().captionBox[0], StorePicture::CheckOff);
    Click(Over(Caption));
    EXPECT_EQ(View().captionBox[0], StorePicture::CheckOn);
    Press(kSet);
    EXPECT_EQ(Saved().Caption, 1);

    settings.Caption = 1;
    Open();
    EXPECT_EQ(View().captionBox[0], StorePicture::CheckOn);
}

TEST_F(SettingsDialogTest, TheSpinnerStaysWithinTenToSixtySeconds) {
    settings.IntervalSeconds = 59;
    Open();
    for (const auto& [step, times, shown] : {std::tuple{1, 2, 60}, {-1, 60, 10}}) {
        for (int i = 0; i < times; ++i) dialog->SpinInterval(step);
        EXPECT_EQ(std::pair(View().intervalPosition, View().intervalText),
                  std::pair(shown, std::to_string(shown) + " 秒"));
    }
}

TEST_F(SettingsDialogTest, ABrowseAndAKindToggleListTheFolderShownCountingUp) {
    Open();
    platform.chosenFolder = "C:\\Other";  // chosen, not saved
    Press(kFolder);
    EXPECT_EQ(View().fileList, (Lines{"D.wmf"}));
    Click(Over(Kind, 3));
    EXPECT_TRUE(View().fileList.empty());
    EXPECT_EQ(View().fileCountText, "");  // after a toggle, not "0"
    Click(Over(Kind, 3));                 // back as it was
    EXPECT_EQ(View().fileList, (Lines{"D.wmf"}));

    platform.chosenFolder = "C:\\Pictures";
    platform.countsSeen.clear();
    Press(kFolder);
    EXPECT_EQ(platform.countsSeen, (Lines{"1", "1", "2", "3"}));
    EXPECT_EQ(View().fileList, (Lines{"A.bmp", "B.jpg", "C.gif"}));
    platform.countsSeen.clear();
    Click(Over(Kind, 0));
    EXPECT_EQ(platform.countsSeen, (Lines{"3", "1", "2"}));
    EXPECT_EQ(View().fileList, (Lines{"B.jpg", "C.gif"}));

    platform.chosenFolder = "C:\\Saver";  // no pictures: an empty list, and 0
    Press(kFolder);
    EXPECT_TRUE(View().fileList.empty());
    EXPECT_EQ(View().fileCountText, "0");
    platform.chosenFolder.reset();  // cancelled: everything stays
    Press(kFolder);
    EXPECT_EQ(View().folderText, "C:\\Saver");
    EXPECT_EQ(View().fileCountText, "0");

    Press(kClear);  // no folder: a toggle changes the flag and its box only
    const std::size_t listings = files.listedPatterns.size();
    Click(Over(Kind, 1));
    EXPECT_EQ(Options(View()), "00111111 01 001");
    EXPECT_EQ(files.listedPatterns.size(), listings);
}

TEST_F(SettingsDialogTest, WhileAFolderIsReadNothingStartsAnotherListingOrCloses) {
    for (const bool browse : {true, false}) {  // a browse, then a kind's rescan
        Open();
        platform.chosenFolder = "C:\\Pictures";
        platform.duringPump = [&] {
            if (View().fileCountText != "2") return;  // half-way through the folder
            dialog->OnRelease(kNowhere);              // the kind's press ends meanwhile
            Click(Over(Kind, 1));
            for (const int button : {kFolder, kClear, kSet, kCancel}) Press(button);
            Click(Over(Close));
            dialog->CloseRequested();
            dialog->PreviewFile(0);  // the preview still works
        };
        browse ? Press(kFolder) : Click(Over(Kind, 0));
        platform.duringPump = nullptr;
        EXPECT_EQ(Options(View()).substr(0, 8), browse ? "11111111" : "01111111");
        EXPECT_EQ(View().folderText, "C:\\Pictures");
        EXPECT_EQ(View().previewSizeText, "640 * 480");
        EXPECT_EQ(Count(platform.calls, "unload"), 0u);
        EXPECT_EQ(Count(platform.calls, "browse"), browse ? 1u : 0u);
        EXPECT_FALSE(files.FileExists(kIni));
        dialog->CloseRequested();
        EXPECT_TRUE(platform.calls.ends_with("unload "));
    }
}

TEST_F(SettingsDialogTest, AFullOrUnreadableFolderIsListedAsFarAsItGoesAndSaysSo) {
    files.AddFolder("C:\\Many");
    for (int i = 0; i < kMaxImageCount + 5; ++i)
        files.AddFile("C:\\Many\\" + std::to_string(i) + ".bmp", "", 0);
    Open();
    platform.chosenFolder = "C:\\Many";
    Press(kFolder);
    EXPECT_EQ(View().fileList.size(), static_cast<std::size_t>(kMaxImageCount));
    EXPECT_EQ(platform.calls,
              "capture free browse [" + dialog_text::TooManyFiles(kMaxImageCount) + "] ");

    const std::string unreadable = "[" + std::string(dialog_text::kFolderUnreadable) + "] ";
    for (const bool browse : {true, false}) {
        files.listingsFailAfter.reset();
        Open();
        platform.chosenFolder = "C:\\Pictures";
        files.listingsFailAfter = 4;  // ".", "..", A.bmp and B.jpg, then the listing fails
        browse ? Press(kFolder) : Click(Over(Kind, 3));
        EXPECT_EQ(platform.calls,
                  browse ? "capture free browse " + unreadable : "capture " + unreadable + "free ");
        EXPECT_EQ(View().fileList, (Lines{"A.bmp", "B.jpg"}));
    }
}

TEST_F(SettingsDialogTest, APreviewShowsThePicturesSizeOrKeepsThePreviousPicture) {
    files.AddFile("C:\\Pictures\\broken.jpg", "", 0);
    Open();
    dialog->PreviewFile(-1);
    dialog->PreviewFile(4);
    EXPECT_EQ(View().previewSizeText, "");
    EXPECT_FALSE(View().previewShown);

    dialog->PreviewFile(0);
    EXPECT_TRUE(View().previewShown);
    EXPECT_EQ(platform.busy, 0);  // the busy cursor went again
    dialog->PreviewFile(3);       // broken.jpg cannot be loaded: the previous picture stays
    EXPECT_EQ(View().previewSizeText, "640 * 480");
}

// A picture the system lacks a codec for says which extensions to install, in place of the
// picture, until a picture loads again.
TEST_F(SettingsDialogTest, APreviewOfAPictureWithoutItsCodecNamesTheExtensionsToInstall) {
    files.AddFile("C:\\Pictures\\broken.jpg", "", 0);
    Open();
    platform.missing = {SystemExtension::HeifImages, SystemExtension::HevcVideo};
    dialog->PreviewFile(3);
    EXPECT_EQ(View().previewNote, "表示に必要な拡張機能:\nHEIF 画像拡張機能\nHEVC ビデオ拡張機能");
    EXPECT_EQ(View().previewSizeText, "");
    EXPECT_EQ(View().previewBox, (PixelSize{layout::kPreview.width, layout::kPreview.height}));
    EXPECT_TRUE(View().previewShown);

    dialog->PreviewFile(0);
    EXPECT_EQ(View().previewNote, "");
    EXPECT_EQ(View().previewSizeText, "640 * 480");
    platform.missing.clear();  // damaged, not lacking a codec: the picture stays
    dialog->PreviewFile(3);
    EXPECT_EQ(View().previewNote, "");
    EXPECT_EQ(View().previewSizeText, "640 * 480");
    EXPECT_EQ(dialog_text::ExtensionsNeeded({SystemExtension::WebpImages}),
              "表示に必要な拡張機能:\nWebP 画像拡張機能");
}

}  // namespace
}  // namespace vexaframe
