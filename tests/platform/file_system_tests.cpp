// The real file system of the platform the tests are built for, on a fresh temporary folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/file_system.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32_file_system.h"
#include "platform/win32_text.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix_file_system.h"
#endif

namespace vexaframe {
namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

#ifdef _WIN32
using NativeFileSystem = Win32FileSystem;
#else
using NativeFileSystem = PosixFileSystem;
#endif

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Names the ANSI code page 932 cannot spell, beside one it can.
const std::string kCafe = "caf\xC3\xA9.bmp";
const std::string kKorean = "\xED\x95\x9C\xEA\xB5\xAD.jpg";
const std::string kEmoji = "\xF0\x9F\x98\x80.gif";
const std::string kJapanese = "\xE5\x86\x99\xE7\x9C\x9F.wmf";

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = "vexaframe-files-" + std::to_string(std::random_device{}());
        folder_ = Utf8(fs::temp_directory_path() / name);
        fs::create_directory(FsPath(folder_));
    }

    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(FsPath(folder_), ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(FsPath(folder_), ignored);
    }

    std::string PathOf(const std::string& name) const {
        return folder_ + files_.Paths().separator + name;
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(FsPath(PathOf(name)), std::ios::binary) << bytes;
    }

    void MakeReadOnly(const std::string& name) const {
        fs::permissions(FsPath(PathOf(name)),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }

    std::map<std::string, std::uint32_t> List(const std::string& wildcard = "*") {
        std::map<std::string, std::uint32_t> entries;
        EXPECT_TRUE(files_.ListMatches(PathOf(wildcard), [&](const FolderEntry& entry) {
            entries[entry.name] = entry.attributes;
            return true;
        }));
        return entries;
    }

    std::vector<std::string> Names(const std::string& wildcard = "*") {
        std::vector<std::string> names;
        for (const auto& [name, attributes] : List(wildcard))
            if (name != "." && name != "..") names.push_back(name);
        return names;
    }

    NativeFileSystem files_;
    std::string folder_;
};

TEST_F(FileSystemTest, ListsMatchesIgnoringCaseAndStopsWhenAsked) {
    Write("PHOTO.JPG", "1");
    Write("b.jpg", "2");
    Write("c.jpeg", "3");
    Write("notes.txt", "4");

    EXPECT_THAT(Names("*.jpg"), UnorderedElementsAre("PHOTO.JPG", "b.jpg"));
    EXPECT_THAT(Names("*.xyz"), IsEmpty());

    int visits = 0;
    EXPECT_TRUE(files_.ListMatches(PathOf("*"), [&](const FolderEntry&) { return ++visits < 2; }));
    EXPECT_EQ(visits, 2);
}

TEST_F(FileSystemTest, ReportsTheClassicAttributeBits) {
    using namespace attribute;
    Write("plain.bmp", "");
    fs::create_directory(FsPath(PathOf("sub")));
#ifdef _WIN32
    // Wine keeps the archive bit on every file, so the values are the platform's own, masked.
    const std::map<std::string, DWORD> set{
        {"readonly.bmp", FILE_ATTRIBUTE_READONLY},
        {"hidden.bmp", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {"system.bmp", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
        {"normal.bmp", FILE_ATTRIBUTE_NORMAL},
        {"unindexed.bmp", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED},
        {"temporary.bmp", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY}};
    for (const auto& [name, value] : set) {
        Write(name, "");
        ASSERT_TRUE(SetFileAttributesW(WideFromUtf8(PathOf(name)).c_str(), value));
    }
#else
    Write("readonly.bmp", "");
    MakeReadOnly("readonly.bmp");
    Write(".hidden.bmp", "");
    Write(".hidden-readonly.bmp", "");
    MakeReadOnly(".hidden-readonly.bmp");
    ASSERT_EQ(mkfifo(PathOf("pipe.bmp").c_str(), 0600), 0);
    ASSERT_EQ(symlink("plain.bmp", PathOf("link.bmp").c_str()), 0);
    ASSERT_EQ(symlink("missing.bmp", PathOf("dangling.bmp").c_str()), 0);
#endif

    const std::map<std::string, std::uint32_t> entries = List();

    EXPECT_EQ(entries.at("plain.bmp"), kArchive);
    EXPECT_EQ(entries.at("sub"), kDirectory);
    EXPECT_EQ(entries.at("."), kDirectory);
#ifdef _WIN32
    for (const auto& [name, value] : set) {
        const DWORD stored = GetFileAttributesW(WideFromUtf8(PathOf(name)).c_str());
        EXPECT_EQ(entries.at(name),
                  stored & (kReadOnly | kHidden | kSystem | kDirectory | kArchive))
            << name;
    }
    EXPECT_NE(entries.at("readonly.bmp") & kReadOnly, 0u);
    EXPECT_NE(entries.at("hidden.bmp") & kHidden, 0u);
    EXPECT_NE(entries.at("system.bmp") & kSystem, 0u);
    EXPECT_EQ(entries.at("unindexed.bmp"), kArchive);
    EXPECT_EQ(entries.at("temporary.bmp"), kArchive);
#else
    EXPECT_EQ(entries.at("readonly.bmp"), kReadOnly);
    EXPECT_EQ(entries.at(".hidden.bmp"), kHidden);
    EXPECT_EQ(entries.at(".hidden-readonly.bmp"), kHidden | kReadOnly);
    EXPECT_EQ(entries.at("pipe.bmp"), kSystem);
    EXPECT_EQ(entries.at("link.bmp"), kArchive);
    EXPECT_EQ(entries.count("dangling.bmp"), 0u);
#endif
}

TEST_F(FileSystemTest, FindsAndReadsNamesOutsideTheCodePage) {
    for (const std::string& name : {kCafe, kKorean, kEmoji, kJapanese}) Write(name, name);

    EXPECT_THAT(Names(), UnorderedElementsAre(kCafe, kKorean, kEmoji, kJapanese));
    EXPECT_THAT(Names("caf?.bmp"), UnorderedElementsAre(kCafe));
    for (const std::string& name : {kCafe, kKorean, kEmoji, kJapanese}) {
        EXPECT_EQ(files_.ReadFile(PathOf(name)), name);
        EXPECT_TRUE(files_.FileExists(PathOf(name)));
    }
}

// A drive root's catalogue entries carry two separators; they must still name the file.
TEST_F(FileSystemTest, DoubledSeparatorsNameTheSameFolder) {
    Write("a.bmp", "picture");
    const std::string doubled = PathOf("") + files_.Paths().separator;

    std::vector<std::string> names;
    EXPECT_TRUE(files_.ListMatches(doubled + "*.bmp", [&](const FolderEntry& entry) {
        names.push_back(entry.name);
        return true;
    }));
    EXPECT_THAT(names, UnorderedElementsAre("a.bmp"));
    EXPECT_EQ(files_.ReadFile(doubled + "a.bmp"), "picture");
}

TEST_F(FileSystemTest, ListingAMissingOrNonFolderFails) {
    Write("file.txt", "");
    const auto ignore = [](const FolderEntry&) { return true; };

    EXPECT_FALSE(files_.ListMatches(PathOf("missing") + files_.Paths().separator + "*", ignore));
    EXPECT_FALSE(files_.ListMatches(PathOf("file.txt") + files_.Paths().separator + "*", ignore));
}

#ifndef _WIN32
TEST_F(FileSystemTest, ListingAnUnreadableFolderFails) {
    fs::create_directory(FsPath(PathOf("locked")));
    Write("locked/a.bmp", "");
    fs::permissions(FsPath(PathOf("locked")), fs::perms::none);
    if (access(PathOf("locked").c_str(), R_OK) == 0) GTEST_SKIP() << "permissions do not bind us";

    EXPECT_FALSE(files_.ListMatches(PathOf("locked/*"), [](const FolderEntry&) { return true; }));
}
#endif

TEST_F(FileSystemTest, FilesRemovedDuringAListingDoNotFailIt) {
    for (int i = 0; i < 200; ++i) Write("f" + std::to_string(i) + ".bmp", "");

    bool removed = false;
    std::vector<std::string> visited;
    const bool listed = files_.ListMatches(PathOf("*.bmp"), [&](const FolderEntry& entry) {
        visited.push_back(entry.name);
        if (!removed) {
            for (int i = 0; i < 200; ++i) {
                const std::string name = "f" + std::to_string(i) + ".bmp";
                if (name != entry.name) fs::remove(FsPath(PathOf(name)));
            }
            removed = true;
        }
        return true;
    });

    EXPECT_TRUE(listed);
    EXPECT_LE(visited.size(), 200u);
}

TEST_F(FileSystemTest, ReadFileAndFileExistsTellFilesFromFoldersAndMissingPaths) {
    Write("empty.ini", "");
    Write("big.bin", std::string(300000, 'x'));
    fs::create_directory(FsPath(PathOf("sub")));

    EXPECT_EQ(files_.ReadFile(PathOf("empty.ini")), "");
    EXPECT_EQ(files_.ReadFile(PathOf("big.bin"))->size(), 300000u);
    EXPECT_EQ(files_.ReadFile(PathOf("missing.ini")), std::nullopt);
    EXPECT_EQ(files_.ReadFile(PathOf("sub")), std::nullopt);
    EXPECT_TRUE(files_.FileExists(PathOf("empty.ini")));
    EXPECT_FALSE(files_.FileExists(PathOf("missing.ini")));
    EXPECT_FALSE(files_.FileExists(PathOf("sub")));
}

TEST_F(FileSystemTest, WriteFileAtomicallyCreatesOrReplacesAndLeavesNoTemporaryFile) {
    EXPECT_TRUE(files_.WriteFileAtomically(PathOf(kKorean), "first"));
    EXPECT_TRUE(files_.WriteFileAtomically(PathOf(kKorean), "second, longer"));
    EXPECT_TRUE(files_.WriteFileAtomically(PathOf(kKorean), "3"));

    EXPECT_EQ(files_.ReadFile(PathOf(kKorean)), "3");
    EXPECT_THAT(Names(), UnorderedElementsAre(kKorean));
}

TEST_F(FileSystemTest, WriteFileAtomicallyThatFailsLeavesTheOldFileWhole) {
    Write("readonly.ini", "old");
    MakeReadOnly("readonly.ini");
    fs::create_directory(FsPath(PathOf("folder.ini")));

    EXPECT_FALSE(files_.WriteFileAtomically(PathOf("readonly.ini"), "new"));
    EXPECT_FALSE(files_.WriteFileAtomically(PathOf("folder.ini"), "new"));
    EXPECT_FALSE(files_.WriteFileAtomically(PathOf("missing") + files_.Paths().separator + "a.ini", "new"));

    EXPECT_EQ(files_.ReadFile(PathOf("readonly.ini")), "old");
    EXPECT_THAT(Names(), UnorderedElementsAre("folder.ini", "readonly.ini"));
}

#ifdef _WIN32
TEST_F(FileSystemTest, WriteFileAtomicallyOfAFileHeldOpenFailsAndLeavesItWhole) {
    Write("held.ini", "old");
    {
        std::ifstream reader(FsPath(PathOf("held.ini")));
        EXPECT_FALSE(files_.WriteFileAtomically(PathOf("held.ini"), "new"));
    }
    EXPECT_EQ(files_.ReadFile(PathOf("held.ini")), "old");
    EXPECT_THAT(Names(), UnorderedElementsAre("held.ini"));
}
#else
// A reader that opened the old file keeps seeing it whole: nothing is rewritten in place.
TEST_F(FileSystemTest, WriteFileAtomicallySwapsInANewFile) {
    Write("held.ini", "old");
    std::ifstream reader(FsPath(PathOf("held.ini")));

    EXPECT_TRUE(files_.WriteFileAtomically(PathOf("held.ini"), "new"));

    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), "old");
    EXPECT_EQ(files_.ReadFile(PathOf("held.ini")), "new");
}
#endif

TEST_F(FileSystemTest, CanCreateFilesInAnExistingFolderOnlyAndLeavesNoTrace) {
    Write("file.txt", "");

    EXPECT_TRUE(files_.CanCreateFilesIn(folder_));
    EXPECT_FALSE(files_.CanCreateFilesIn(PathOf("missing")));
    EXPECT_FALSE(files_.CanCreateFilesIn(PathOf("file.txt")));
    EXPECT_THAT(Names(), UnorderedElementsAre("file.txt"));
}

TEST_F(FileSystemTest, CreateFoldersMakesMissingParents) {
    const char separator = files_.Paths().separator;
    const std::string nested = PathOf(kJapanese) + separator + "b" + separator + "c";
    Write("file.txt", "");

    EXPECT_TRUE(files_.CreateFolders(nested));
    EXPECT_TRUE(files_.CreateFolders(nested));
    EXPECT_TRUE(fs::is_directory(FsPath(nested)));
    EXPECT_FALSE(files_.CreateFolders(PathOf("file.txt") + separator + "sub"));
}

}  // namespace
}  // namespace vexaframe
