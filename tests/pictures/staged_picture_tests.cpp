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
    const auto read = [&](const std::string& path) {
        return files.FileBytes(path).value_or(std::string());
    };
    const std::string stagedFile = "C:\\Saver\\Vexaframe.bmp";
    EXPECT_EQ(read(stagedFile), "");  // nothing staged yet
    EXPECT_FALSE(staged.CommitPending());

    Image first(3, 2);  // rows padded to whole words, a translucent pixel made opaque
    first.pixels = {0xFF102030, 0x80405060, 0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0, 0xFF010203};
    ASSERT_TRUE(WriteBitmapFile(files, staged.PendingPath(), first));
    ASSERT_TRUE(staged.CommitPending());
    const std::optional<Image> committed = DecodeBmp(read(stagedFile));
    ASSERT_TRUE(committed);
    first.pixels[1] = 0xFF405060;
    EXPECT_EQ(committed->width, 3);
    EXPECT_EQ(committed->pixels, first.pixels);
    EXPECT_FALSE(files.FileExists(staged.PendingPath()));

    // A staged file that cannot be replaced keeps the earlier picture; the pending one goes.
    ASSERT_TRUE(WriteBitmapFile(files, staged.PendingPath(), Image(1, 1)));
    files.AddFile(stagedFile, read(stagedFile), attribute::kReadOnly);
    EXPECT_FALSE(staged.CommitPending());
    EXPECT_EQ(DecodeBmp(read(stagedFile))->pixels, first.pixels);
    staged.HoldStaged();
    staged.DiscardPending();
    EXPECT_FALSE(files.FileExists(staged.PendingPath()));
    EXPECT_FALSE(files.FileExists("C:\\Saver\\Vexaframe.bmp.held"));
    EXPECT_EQ(DecodeBmp(read(stagedFile))->pixels, first.pixels);
}

// Taken once; a texture the limits do not take (or a damaged file) is none, and its file goes
// all the same.
TEST(StagedPicture, ThePendingTextureIsTakenOnceAndOnlyWithinTheLimits) {
    FakeFileSystem files;
    files.AddFolder("C:\\Saver");
    StagedPicture staged(files, "C:\\Saver\\Vexaframe.bmp");
    ASSERT_TRUE(WriteBitmapFile(files, staged.PendingTexturePath(), Image(4, 2)));
    const std::optional<Image> texture = staged.TakePendingTexture({4, true});
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->width, 4);
    EXPECT_FALSE(staged.TakePendingTexture({4, true}));

    ASSERT_TRUE(WriteBitmapFile(files, staged.PendingTexturePath(), Image(4, 2)));
    EXPECT_FALSE(staged.TakePendingTexture({2, true}));
    EXPECT_FALSE(files.FileExists(staged.PendingTexturePath()));
    files.AddFile(staged.PendingTexturePath(), "BM damaged");
    EXPECT_FALSE(staged.TakePendingTexture({4, true}));

    ASSERT_TRUE(WriteBitmapFile(files, staged.PendingTexturePath(), Image(4, 2)));
    staged.DiscardPending();
    EXPECT_FALSE(files.FileExists(staged.PendingTexturePath()));
}

}  // namespace
}  // namespace vexaframe
