#include <gtest/gtest.h>

#include "platform/local_date.h"
#include "saver/caption.h"
#include "support/fake_file_system.h"

namespace vexaframe {
namespace {

using Lines = std::vector<std::string>;

// The date in the user's format over the file's path from the folder; without a date the path
// alone, as the folder's own pictures show their name alone.
TEST(Caption, SaysTheDateOverThePathFromTheFolder) {
    const CalendarTime taken{2019, 4, 7, 14, 30, 5};
    EXPECT_EQ(CaptionLines(taken, "C:\\Photos\\2019\\Kyoto\\IMG_0001.jpg", "C:\\Photos"),
              (Lines{FormatLocalDate(taken), "2019\\Kyoto\\IMG_0001.jpg"}));
    EXPECT_EQ(CaptionLines(std::nullopt, "/home/me/Pictures/京都.heic", "/home/me/Pictures"),
              (Lines{"京都.heic"}));
    // A date the calendar has no such day for says nothing.
    EXPECT_EQ(CaptionLines(CalendarTime{2019, 13, 40, 0, 0, 0}, "C:\\P\\a.jpg", "C:\\P"),
              (Lines{"a.jpg"}));
}

// The Exif date where the picture has one, else the day its file was written.
TEST(Caption, TakesTheFilesDateWhereThePictureHasNone) {
    FakeFileSystem files;
    files.AddFolder("C:\\P");
    files.AddFile("C:\\P\\plain.bmp", "BM not an Exif carrier");
    const CalendarTime written{2021, 12, 24, 8, 0, 0};
    files.SetLastWritten("C:\\P\\plain.bmp", written);
    EXPECT_EQ(CaptionLinesOf(files, "C:\\P\\plain.bmp", "C:\\P"),
              (Lines{FormatLocalDate(written), "plain.bmp"}));
}

// In over the first moments, whole for most of the interval, out before the change and gone at
// it; an interval too short for both fades never shows it whole.
TEST(Caption, FadesInAfterTheChangeAndOutBeforeTheNext) {
    EXPECT_EQ(CaptionOpacity(0, 10), 0);
    EXPECT_GT(CaptionOpacity(0.3, 10), 0.3f);
    EXPECT_LT(CaptionOpacity(0.3, 10), 0.7f);
    for (double t = 0.6; t <= 9.0; t += 0.5) EXPECT_EQ(CaptionOpacity(t, 10), 1) << t;
    EXPECT_GT(CaptionOpacity(9.3, 10), 0);
    EXPECT_LT(CaptionOpacity(9.3, 10), 1);
    EXPECT_EQ(CaptionOpacity(9.7, 10), 0);
    EXPECT_EQ(CaptionOpacity(12, 10), 0);
    EXPECT_LT(CaptionOpacity(0.5, 1), 1);
    EXPECT_EQ(CaptionOpacity(3600, std::numeric_limits<double>::infinity()), 1);
}

}  // namespace
}  // namespace vexaframe
