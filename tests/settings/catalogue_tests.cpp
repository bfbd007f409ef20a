#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/catalogue.h"
#include "support/fake_file_system.h"

namespace vexaframe {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::array<std::int16_t, 4> kAllKinds{1, 1, 1, 1};

std::vector<std::string> Entries(const Catalogue& catalogue) {
    return {catalogue.ImageFiles.begin(), catalogue.ImageFiles.begin() + catalogue.ImageCount};
}

Catalogue Build(FakeFileSystem& files, std::string_view folder,
                const std::array<std::int16_t, 4>& kindEnabled = kAllKinds) {
    Catalogue catalogue;
    BuildCatalogue(files, folder, kindEnabled, catalogue);
    return catalogue;
}

TEST(BuildCatalogue, TakesPictureKindsOfTheFolderOnlyInOrdinalPathOrder) {
    FakeFileSystem files;
    files.AddFile("C:\\Pics\\b.JPG");
    files.AddFile("C:\\Pics\\A.bmp");
    files.AddFile("C:\\Pics\\c.gif");
    files.AddFile("C:\\Pics\\a.bmp");
    files.AddFile("C:\\Pics\\Z.bmp");
    files.AddFile("C:\\Pics\\d.wmf");
    files.AddFile("C:\\Pics\\notes.txt");
    files.AddFile("C:\\Pics\\photo.jpeg");
    files.AddFile("C:\\Pics\\x.bmp.txt");
    files.AddFile("C:\\Pics\\Sub\\x.bmp");
    files.AddFolder("C:\\Pics\\folder.bmp");

    const Catalogue catalogue = Build(files, "C:\\Pics");

    EXPECT_THAT(Entries(catalogue),
                ElementsAre("C:\\Pics\\A.bmp", "C:\\Pics\\Z.bmp", "C:\\Pics\\a.bmp",
                            "C:\\Pics\\b.JPG", "C:\\Pics\\c.gif", "C:\\Pics\\d.wmf"));
    EXPECT_EQ(catalogue.ImageCount, 6);
    EXPECT_EQ(files.ListingCalls(), 1u);
}

TEST(BuildCatalogue, SortsByCodePointNotByLocaleOrUtf16) {
    FakeFileSystem files;
    files.AddFile("C:\\P\\\xF0\x9F\x98\x80.bmp");  // U+1F600
    files.AddFile("C:\\P\\\xEF\xBD\x9A.bmp");      // U+FF5A, fullwidth z
    files.AddFile("C:\\P\\\xC3\xA9.bmp");          // U+00E9
    files.AddFile("C:\\P\\z.bmp");

    EXPECT_THAT(Entries(Build(files, "C:\\P")),
                ElementsAre("C:\\P\\z.bmp", "C:\\P\\\xC3\xA9.bmp", "C:\\P\\\xEF\xBD\x9A.bmp",
                            "C:\\P\\\xF0\x9F\x98\x80.bmp"));
}

TEST(BuildCatalogue, TakesOnlyFilesWithNoAttributeArchiveOnlyOrReadOnlyOnly) {
    using namespace attribute;
    FakeFileSystem files;
    files.AddFile("C:\\P\\none.bmp", "", 0);
    files.AddFile("C:\\P\\archive.bmp", "", kArchive);
    files.AddFile("C:\\P\\readonly.bmp", "", kReadOnly);
    files.AddFile("C:\\P\\hidden.bmp", "", kHidden);
    files.AddFile("C:\\P\\system.bmp", "", kSystem);
    files.AddFile("C:\\P\\archive-readonly.bmp", "", kArchive | kReadOnly);
    files.AddFile("C:\\P\\archive-hidden.bmp", "", kArchive | kHidden);

    EXPECT_THAT(Entries(Build(files, "C:\\P")),
                ElementsAre("C:\\P\\archive.bmp", "C:\\P\\none.bmp", "C:\\P\\readonly.bmp"));
}

TEST(BuildCatalogue, LeavesOutKindsWhoseSwitchIsAnythingButOne) {
    FakeFileSystem files;
    for (const char* name : {"a.bmp", "b.gif", "c.jpg", "d.wmf"})
        files.AddFile(std::string("C:\\P\\") + name);

    EXPECT_THAT(Entries(Build(files, "C:\\P", {1, 0, 1, 1})),
                ElementsAre("C:\\P\\a.bmp", "C:\\P\\c.jpg", "C:\\P\\d.wmf"));
    EXPECT_THAT(Entries(Build(files, "C:\\P", {2, 1, -1, 1})),
                ElementsAre("C:\\P\\b.gif", "C:\\P\\d.wmf"));

    const std::size_t listingsBefore = files.ListingCalls();
    EXPECT_EQ(Build(files, "C:\\P", {0, 0, 0, 0}).ImageCount, 0);
    EXPECT_EQ(files.ListingCalls(), listingsBefore);
}

// A drive root written with its separator gives two; trailing blanks stay in the build's
// pattern, while FolderExists trims them.
TEST(BuildCatalogue, UsesTheFolderTextAsGiven) {
    FakeFileSystem files;
    files.AddFile("C:\\x.bmp");

    EXPECT_THAT(Entries(Build(files, "C:\\")), ElementsAre("C:\\\\x.bmp"));
    EXPECT_THAT(Entries(Build(files, "C:")), ElementsAre("C:\\x.bmp"));
    EXPECT_TRUE(FolderExists(files, "C:\\  "));
    Build(files, "C:\\  ");
    FolderExists(files, "");
    EXPECT_THAT(files.listedPatterns,
                ElementsAre("C:\\\\*", "C:\\*", "C:\\*.*", "C:\\  \\*", "\\*.*"));

    FakeFileSystem posixFiles(kPosixPaths);
    posixFiles.AddFile("/pics/x.bmp");
    EXPECT_THAT(Entries(Build(posixFiles, "/pics")), ElementsAre("/pics/x.bmp"));
}

TEST(BuildCatalogue, EmptyFolderTextEmptiesTheCatalogueWithoutTouchingTheFileSystem) {
    FakeFileSystem files;
    Catalogue catalogue;
    catalogue.ImageCount = 1;
    catalogue.ImageFiles = {"C:\\old.bmp"};

    BuildCatalogue(files, "", kAllKinds, catalogue);

    EXPECT_EQ(catalogue.ImageCount, 0);
    EXPECT_THAT(catalogue.ImageFiles, IsEmpty());
    EXPECT_EQ(files.ListingCalls(), 0u);
}

TEST(BuildCatalogue, KeepsWhatWasListedBeforeAFailureAndNothingFromAnUnlistableFolder) {
    FakeFileSystem files;
    for (const char* name : {"c.bmp", "a.bmp", "e.bmp", "b.bmp", "d.bmp"})
        files.AddFile(std::string("C:\\P\\") + name);

    Catalogue catalogue;
    files.listingsFailAfter = 5;  // ".", ".." and three files
    EXPECT_EQ(BuildCatalogue(files, "C:\\P", kAllKinds, catalogue), CatalogueEnd::Unreadable);
    EXPECT_THAT(Entries(catalogue),
                ElementsAre("C:\\P\\a.bmp", "C:\\P\\c.bmp", "C:\\P\\e.bmp"));

    files.listingsFailAfter.reset();
    files.MakeUnlistable("C:\\P");
    EXPECT_EQ(BuildCatalogue(files, "C:\\P", kAllKinds, catalogue), CatalogueEnd::Unreadable);
    EXPECT_EQ(catalogue.ImageCount, 0);
    EXPECT_EQ(Build(files, "C:\\Missing").ImageCount, 0);
}

// 40 000 matches: passes come before kinds, kinds before listing order, and the first 32 767
// taken in that order stay.
TEST(BuildCatalogue, KeepsTheFirst32767FilesInPassKindAndListingOrder) {
    using namespace attribute;
    FakeFileSystem files;
    std::vector<std::string> keptJpegs;
    constexpr int kJpegsKept = kMaxImageCount - 30000;
    for (int i = 0; i < 10000; ++i) {
        const std::string number = std::to_string(i);
        // Listed in descending name order, so listing order and path order disagree.
        const std::string jpeg = "C:\\P\\j" + std::to_string(99999 - i) + ".jpg";
        files.AddFile(jpeg, "", kArchive);                           // pass 2, kind 2: partly kept
        files.AddFile("C:\\P\\b" + number + ".bmp", "", kArchive);   // pass 2, kind 0
        files.AddFile("C:\\P\\w" + number + ".wmf", "", 0);          // pass 1, kind 3
        files.AddFile("C:\\P\\b" + number + "x.bmp", "", kArchive);  // pass 2, kind 0
        if (i < kJpegsKept) keptJpegs.push_back(jpeg);
    }

    Catalogue catalogue;
    int lastCount = 0;
    const CatalogueEnd end = BuildCatalogue(files, "C:\\P", kAllKinds, catalogue, [&](int found) {
        EXPECT_EQ(found, std::min(lastCount + 1, int{kMaxImageCount}));
        lastCount = found;
        return true;
    });

    EXPECT_EQ(end, CatalogueEnd::Full);
    EXPECT_EQ(lastCount, kMaxImageCount);
    ASSERT_EQ(catalogue.ImageCount, kMaxImageCount);
    const std::vector<std::string> entries = Entries(catalogue);
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
    std::vector<std::string> jpegs;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(jpegs),
                 [](const std::string& entry) { return entry.ends_with(".jpg"); });
    std::sort(keptJpegs.begin(), keptJpegs.end());
    EXPECT_EQ(jpegs, keptJpegs);
}

TEST(FolderExists, IsTrueForAnyListableFolderAndADriveRootOnlyWithEntries) {
    FakeFileSystem files;
    files.AddFolder("C:\\Empty");
    files.AddFolder("C:\\OnlySubfolders\\Sub");
    files.AddFolder("C:\\Pictures");
    files.AddFile("C:\\Locked\\a.bmp");
    files.MakeUnlistable("C:\\Locked");
    files.AddFolder("E:\\");
    files.AddFile("F:\\a.bmp");

    EXPECT_TRUE(FolderExists(files, "C:\\Empty"));
    EXPECT_TRUE(FolderExists(files, "C:\\OnlySubfolders"));
    EXPECT_EQ(Build(files, "C:\\OnlySubfolders").ImageCount, 0);
    EXPECT_TRUE(FolderExists(files, "C:\\Pictures\\"));
    EXPECT_FALSE(FolderExists(files, "C:\\Pic"));
    EXPECT_FALSE(FolderExists(files, "C:\\Locked"));
    EXPECT_FALSE(FolderExists(files, "D:\\"));
    EXPECT_FALSE(FolderExists(files, "E:\\"));
    EXPECT_TRUE(FolderExists(files, "F:\\"));
}

// The progress sees every picture as it is found, and may stop the listing: what was found
// until then is kept, in path order.
TEST(BuildCatalogue, ReportsEachPictureFoundAndStopsWhenAsked) {
    FakeFileSystem files;
    for (const char* name : {"d.bmp", "notes.txt", "c.gif", "b.jpg", "a.wmf"})
        files.AddFile(std::string("C:\\P\\") + name);
    Catalogue catalogue;
    std::vector<int> counts;

    const CatalogueEnd end = BuildCatalogue(files, "C:\\P", kAllKinds, catalogue, [&](int found) {
        counts.push_back(found);
        return found < 3;
    });

    EXPECT_EQ(end, CatalogueEnd::Stopped);
    EXPECT_THAT(counts, ElementsAre(1, 2, 3));
    EXPECT_THAT(Entries(catalogue), ElementsAre("C:\\P\\b.jpg", "C:\\P\\c.gif", "C:\\P\\d.bmp"));
    EXPECT_EQ(BuildCatalogue(files, "C:\\P", kAllKinds, catalogue), CatalogueEnd::Complete);
}

TEST(PathRoutines, FileNameOfAndWithTrailingSeparator) {
    EXPECT_EQ(FileNameOf("C:\\Pics\\a.bmp", kWindowsPaths), "a.bmp");
    EXPECT_EQ(FileNameOf("C:\\\\a.bmp", kWindowsPaths), "a.bmp");
    EXPECT_EQ(FileNameOf("/pics/a.bmp", kPosixPaths), "a.bmp");

    EXPECT_EQ(WithTrailingSeparator("C:\\Pics", kWindowsPaths), "C:\\Pics\\");
    EXPECT_EQ(WithTrailingSeparator("C:\\Pics\\", kWindowsPaths), "C:\\Pics\\");
    EXPECT_EQ(WithTrailingSeparator("C:\\Pics \\  ", kWindowsPaths), "C:\\Pics \\");
    EXPECT_EQ(WithTrailingSeparator("C:", kWindowsPaths), "C:\\");
    EXPECT_EQ(WithTrailingSeparator("   ", kWindowsPaths), "\\");
    EXPECT_EQ(WithTrailingSeparator("", kWindowsPaths), "\\");
    EXPECT_EQ(WithTrailingSeparator("/pics", kPosixPaths), "/pics/");
}

}  // namespace
}  // namespace vexaframe
