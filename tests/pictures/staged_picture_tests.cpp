#include <gtest/gtest.h>

#include "pictures/bmp_file.h"
#include "pictures/staged_picture.h"
#include "support/fake_file_system.h"

namespace vexaframe {
namespace {

TEST(StagedPicture, ThePendingPictureTakesTheStagedOnesPlaceOnlyWhenItCan) {
    FakeFileSystem files;
    files.AddFolder("C:\\Saver");
    StagedPicture staged(files, "C:\\Saver\\Vexaframe.bmp");
    EXPECT_EQ(staged.Read(), "");  // nothing staged yet
    EXPECT_FALSE(staged.CommitPending());

    Image first(3, 2);  // rows padded to whole words, a translucent pixel made opaque
    first.pixels = {0xFF102030, 0x80405060, 0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0, 0xFF010203};
    ASSERT_TRUE(WriteBitmapFile(files, staged.PendingPath(), first));
    ASSERT_TRUE(staged.CommitPending());
    const std::optional<Image> read = DecodeBmp(staged.Read());
    ASSERT_TRUE(read);
    first.pixels[1] = 0xFF405060;
    EXPECT_EQ(read->width, 3);
    EXPECT_EQ(read->pixels, first.pixels);
    EXPECT_EQ(staged.ReadPending(), "");

    // A staged file that cannot be replaced keeps the earlier picture; the pending one goes.
    ASSERT_TRUE(WriteBitmapFile(files, staged.PendingPath(), Image(1, 1)));
    files.AddFile("C:\\Saver\\Vexaframe.bmp", staged.Read(), attribute::kReadOnly);
    EXPECT_FALSE(staged.CommitPending());
    EXPECT_EQ(DecodeBmp(staged.Read())->pixels, first.pixels);
    staged.HoldStaged();
    staged.DiscardPending();
    EXPECT_FALSE(files.FileExists(staged.PendingPath()));
    EXPECT_FALSE(files.FileExists("C:\\Saver\\Vexaframe.bmp.held"));
    EXPECT_EQ(DecodeBmp(staged.Read())->pixels, first.pixels);
}

}  // namespace
}  // namespace vexaframe
