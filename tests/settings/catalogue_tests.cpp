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

constexpr std::array<std::int16_t, kKindCount> kAllKinds{1, 1, 1, 1, 1, 1, 1, 1};

// One listing of the folder as it was given; files of other kinds, in subfolders or with
// other attributes are left out, and the rest sorted by code point (not by locale, nor by
// UTF-16, which would put the emoji before the fullwidth z).
TEST(BuildCatalogue, TakesThePicturesOfTheFolderInCodePointOrder) {
    using namespace attribute;
    struct File {
        File(const char* fileName, std::uint32_t fileAttributes = kArchive)
            : name(fileName), attributes(fileAttributes) {}
        std::string name;  // in the folder
        std::uint32_t attributes;
    };
    const struct {
        const char* name;
        std::string folder;
        std::vector<File> files;
        std::array<std::int16_t, kKindCount> kinds;
        std::vector<std::string> catalogue;
        std::vector<std::string> patterns;  // listed
        PathStyle paths = kWindowsPaths;
    } cases[] = {
        {"the folder's pictures",
         "C:\\P",
         {"b.JPG", "A.bmp", "c.gif", "a.bmp", "Z.bmp", "d.wmf", "notes.txt", "x.bmp.txt",
          "Sub\\x.bmp", "\xF0\x9F\x98\x80.bmp", "\xEF\xBD\x9A.bmp", "\xC3\xA9.bmp"},
         kAllKinds,
         {"C:\\P\\A.bmp", "C:\\P\\Z.bmp", "C:\\P\\a.bmp", "C:\\P\\b.JPG", "C:\\P\\c.gif",
          "C:\\P\\d.wmf", "C:\\P\\\xC3\xA9.bmp", "C:\\P\\\xEF\xBD\x9A.bmp",
          "C:\\P\\\xF0\x9F\x98\x80.bmp"},
         {"C:\\P\\*"}},
        {"every JPEG and HEIF name, PNG, WebP and AVIF",
         "C:\\P",
         {"a.jpeg", "b.JPE", "c.jfif", "d.png", "e.PNG", "f.jpeg.txt", "g.jpgx", "h.apng", "i.jfi",
          "j.webp", "k.HEIC", "l.heif", "m.hif", "n.avif", "o.heics", "p.avifs"},
         kAllKinds,
         {"C:\\P\\a.jpeg", "C:\\P\\b.JPE", "C:\\P\\c.jfif", "C:\\P\\d.png", "C:\\P\\e.PNG",
          "C:\\P\\j.webp", "C:\\P\\k.HEIC", "C:\\P\\l.heif", "C:\\P\\m.hif", "C:\\P\\n.avif"},
         {"C:\\P\\*"}},
        {"no attribute, archive only or read-only only",
         "C:\\P",
         {{"none.bmp", 0},
          "archive.bmp",
          {"readonly.bmp", kReadOnly},
          {"hidden.bmp", kHidden},
          {"system.bmp", kSystem},
          {"archive-readonly.bmp", kArchive | kReadOnly},
          {"archive-hidden.bmp", kArchive | kHidden},
          {"folder.bmp", kDirectory}},
         kAllKinds,
         {"C:\\P\\archive.bmp", "C:\\P\\none.bmp", "C:\\P\\readonly.bmp"},
         {"C:\\P\\*"}},
        {"only 1 switches a kind on",
         "C:\\P",
         {"a.bmp", "b.gif", "c.jpg", "d.wmf", "e.png", "f.jpeg", "g.webp", "h.heic", "i.avif"},
         {1, 2, 1, -1, 0, 3, 1, 0},
         {"C:\\P\\a.bmp", "C:\\P\\c.jpg", "C:\\P\\f.jpeg", "C:\\P\\h.heic"},
         {"C:\\P\\*"}},
        {"every kind off", "C:\\P", {"a.bmp"}, {0, 0, 0, 0, 0, 0, 0, 0}, {}, {}},
        {"no folder", "", {"a.bmp"}, kAllKinds, {}, {}},
        // A drive root written with its separator gives two.
        {"a drive root", "C:\\", {"x.bmp"}, kAllKinds, {"C:\\\\x.bmp"}, {"C:\\\\*"}},
        {"trailing blanks", "C:\\P  ", {"x.bmp"}, kAllKinds, {"C:\\P  \\x.bmp"}, {"C:\\P  \\*"}},
        {"POSIX paths", "/pics", {"x.bmp"}, kAllKinds, {"/pics/x.bmp"}, {"/pics/*"}, kPosixPaths},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFileSystem files(c.paths);
        for (const File& file : c.files)
            files.AddFile(c.folder + c.paths.separator + file.name, "", file.attributes);
        Catalogue catalogue{2, {"C:\\old.bmp", "C:\\older.bmp"}};

        BuildCatalogue(files, c.folder, c.kinds, catalogue);

        EXPECT_EQ(catalogue.ImageFiles, c.catalogue);
        EXPECT_EQ(catalogue.ImageCount, static_cast<int>(c.catalogue.size()));
        EXPECT_EQ(files.listedPatterns, c.patterns);
    }
}

// The progress sees every picture as it is found, and may stop the listing; what was found
// before a stop or a failure is kept, in path order.
TEST(BuildCatalogue, KeepsWhatWasFoundBeforeAStopOrAFailureAndNothingFromAnUnlistableFolder) {
    FakeFileSystem files;
    for (const char* name : {"c.bmp", "notes.txt", "a.wmf", "e.bmp", "b.jpg", "d.gif"})
        files.AddFile(std::string("C:\\P\\") + name);
    Catalogue catalogue;
    std::vector<int> counts;
    EXPECT_EQ(BuildCatalogue(files, "C:\\P", kAllKinds, catalogue,
                             [&](int found) {
                                 counts.push_back(found);
                                 return found < 3;
                             }),
              CatalogueEnd::Stopped);
    EXPECT_THAT(counts, ElementsAre(1, 2, 3));
    EXPECT_THAT(catalogue.ImageFiles, ElementsAre("C:\\P\\a.wmf", "C:\\P\\c.bmp", "C:\\P\\e.bmp"));

    files.listingsFailAfter = 6;  // ".", ".." and four files
    EXPECT_EQ(BuildCatalogue(files, "C:\\P", kAllKinds, catalogue), CatalogueEnd::Unreadable);
    EXPECT_THAT(catalogue.ImageFiles, ElementsAre("C:\\P\\a.wmf", "C:\\P\\c.bmp", "C:\\P\\e.bmp"));
    files.listingsFailAfter.reset();
    EXPECT_EQ(BuildCatalogue(files, "C:\\P", kAllKinds, catalogue), CatalogueEnd::Complete);

    files.MakeUnlistable("C:\\P");
    EXPECT_EQ(BuildCatalogue(files, "C:\\P", kAllKinds, catalogue), CatalogueEnd::Unreadable);
    EXPECT_THAT(catalogue.ImageFiles, IsEmpty());
    EXPECT_EQ(BuildCatalogue(files, "C:\\Missing", kAllKinds, catalogue), CatalogueEnd::Unreadable);
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
    const std::vector<std::string>& entries = catalogue.ImageFiles;
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
    std::vector<std::string> jpegs;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(jpegs),
                 [](const std::string& entry) { return entry.ends_with(".jpg"); });
    std::sort(keptJpegs.begin(), keptJpegs.end());
    EXPECT_EQ(jpegs, keptJpegs);
}

// A photo library on a network drive: year and month folders, and what the drive and the
// systems that used it left beside them.
TEST(BuildCatalogue, WithSubFoldersTakesTheFoldersALibraryKeepsInPathOrder) {
    using namespace attribute;
    for (const PathStyle paths : {kWindowsPaths, kPosixPaths}) {
        SCOPED_TRACE(paths.separator);
        const std::string root = paths.hasDriveLetters ? "P:\\Pictures" : "/srv/Pictures";
        const std::string other = paths.hasDriveLetters ? "Q:\\Other" : "/mnt/other";
        const auto at = [&](const std::string& folder, std::string relative) {
            std::ranges::replace(relative, '/', paths.separator);
            return folder + paths.separator + relative;
        };
        FakeFileSystem files(paths);
        files.AddFolder(at(root, "Hidden"), kDirectory | kHidden);
        files.AddFolder(at(root, "System"), kDirectory | kSystem);
        for (const char* name :
             {"2024/01/b.jpeg", "2024/01/a.HEIC", "2023/12/x.png", "2023/c.webp", "top.jpg",
              "2023/12/Holiday/deep.avif", "2023/notes.txt", "@eaDir/top.jpg/SYNOFILE_THUMB_M.jpg",
              "2023/@eaDir/c.webp/SYNOPHOTO_THUMB_XL.jpg", "#recycle/gone.jpg", "#snapshot/old.jpg",
              "$RECYCLE.BIN/S-1-5/$R1.jpg", "System Volume Information/x.jpg", "@Recycle/q.jpg",
              ".thumbnails/normal/t.png", "lost+found/f.jpg", "Hidden/h.jpg", "System/y.jpg"})
            files.AddFile(at(root, name));
        files.AddFile(at(root, "2023/12/hidden.jpg"), "", kArchive | kHidden);
        files.AddFolderLink(at(root, "2024/loop"), root);               // back to the top
        files.AddFolderLink(at(root, "2024/again"), at(root, "2023"));  // a second way in
        files.AddFolderLink(at(root, "elsewhere"), other);              // out of the tree: searched
        files.AddFile(at(other, "o.gif"));
        files.AddFolder(at(root, "Locked"));
        files.MakeUnlistable(at(root, "Locked"));

        Catalogue catalogue;
        EXPECT_EQ(
            BuildCatalogue(files, root, kAllKinds, catalogue, {}, FolderScope::WithSubFolders),
            CatalogueEnd::Complete);
        std::vector<std::string> expected;
        for (const char* name : {"2023/12/Holiday/deep.avif", "2023/12/x.png", "2023/c.webp",
                                 "2024/01/a.HEIC", "2024/01/b.jpeg", "elsewhere/o.gif", "top.jpg"})
            expected.push_back(at(root, name));
        EXPECT_EQ(catalogue.ImageFiles, expected);
        EXPECT_EQ(catalogue.ImageCount, 7);

        // Without sub-folders the folder alone, as ever.
        EXPECT_EQ(BuildCatalogue(files, root, kAllKinds, catalogue), CatalogueEnd::Complete);
        EXPECT_THAT(catalogue.ImageFiles, ElementsAre(at(root, "top.jpg")));
    }
}

// The listing hands pictures over in the catalogue's own order, folder after folder, so that a
// show can start before it ends: a folder's pictures come where its name and separator sort
// among the files beside it, which differs between the two separators.
TEST(ListLibrary, HandsOverThePicturesInAscendingOrderOfTheWholePath) {
    for (const PathStyle paths : {kWindowsPaths, kPosixPaths}) {
        SCOPED_TRACE(paths.separator);
        const std::string root = paths.hasDriveLetters ? "P:\\L" : "/L";
        FakeFileSystem files(paths);
        std::vector<std::string> expected;
        for (std::string name : {"a.jpg", "a/b.jpg", "a-b/x.jpg", "a0.jpg", "AZ.jpg", "A/x.jpg",
                                 "A_b.jpg", "A/B/y.jpg", "A/A.jpg", "b/c/d/e.jpg"}) {
            std::ranges::replace(name, '/', paths.separator);
            expected.push_back(root + paths.separator + name);
            files.AddFile(expected.back());
        }
        std::ranges::sort(expected);
        std::vector<std::string> handed;
        EXPECT_EQ(ListLibrary(files, root, kAllKinds,
                              [&handed](std::string path) {
                                  handed.push_back(std::move(path));
                                  return true;
                              }),
                  CatalogueEnd::Complete);
        EXPECT_EQ(handed, expected);
    }
}

TEST(FolderExists, IsTrueForAnyListableFolderAndADriveRootOnlyWithEntries) {
    FakeFileSystem files;
    files.AddFolder("C:\\Empty");
    files.AddFolder("C:\\Pictures");
    files.AddFile("C:\\Locked\\a.bmp");
    files.MakeUnlistable("C:\\Locked");
    files.AddFolder("E:\\");
    files.AddFile("F:\\a.bmp");

    EXPECT_TRUE(FolderExists(files, "C:\\Empty"));
    EXPECT_TRUE(FolderExists(files, "C:\\Pictures\\"));
    EXPECT_FALSE(FolderExists(files, "C:\\Pic"));
    EXPECT_FALSE(FolderExists(files, "C:\\Locked"));
    EXPECT_FALSE(FolderExists(files, "D:\\"));
    EXPECT_FALSE(FolderExists(files, "E:\\"));
    EXPECT_TRUE(FolderExists(files, "F:\\"));
}

// The plain cases go with the folder checks and the dialog's list.
TEST(PathRoutines, CataloguedNameAndWithTrailingSeparator) {
    EXPECT_EQ(CataloguedName("C:\\\\a.bmp", "C:\\"), "a.bmp");
    EXPECT_EQ(CataloguedName("/pics/2023/07/a.bmp", "/pics"), "2023/07/a.bmp");
    EXPECT_EQ(CataloguedName("a.bmp", ""), "a.bmp");  // no folder: nothing to take off
    EXPECT_EQ(WithTrailingSeparator("C:\\Pics \\  ", kWindowsPaths), "C:\\Pics \\");
    EXPECT_EQ(WithTrailingSeparator("C:", kWindowsPaths), "C:\\");
    EXPECT_EQ(WithTrailingSeparator("   ", kWindowsPaths), "\\");
    EXPECT_EQ(WithTrailingSeparator("/pics", kPosixPaths), "/pics/");
}

}  // namespace
}  // namespace vexaframe
