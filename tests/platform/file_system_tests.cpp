// The real file system of the platform the tests are built for, on a fresh temporary folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
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

const auto kVisitAll = [](const FolderEntry&) { return true; };

class FileSystemTest : public ::testing::Test {
protected:
    // Every path of the tests lies in a folder code page 932 cannot spell.
    void SetUp() override {
        folder_ = Utf8(fs::temp_directory_path() /
                       FsPath(kCafe + kKorean + kEmoji + std::to_string(std::random_device{}())));
        fs::create_directory(FsPath(folder_));
    }

    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(FsPath(folder_), ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(FsPath(folder_), ignored);
    }

    // The folder, then each part after a separator of the platform's own.
    template <typename... Parts>
    std::string PathOf(const Parts&... parts) const {
        std::string path = folder_;
        ((path += files_.Paths().separator, path += parts), ...);
        return path;
    }

    void Write(const std::string& name, const std::string& bytes = "") const {
        std::ofstream(FsPath(PathOf(name)), std::ios::binary) << bytes;
    }

    void MakeReadOnly(const std::string& name) const {
        fs::permissions(FsPath(PathOf(name)),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }

    std::map<std::string, std::uint32_t> List(const std::string& pattern) {
        std::map<std::string, std::uint32_t> entries;
        EXPECT_TRUE(files_.ListMatches(pattern, [&](const FolderEntry& entry) {
            entries[entry.name] = entry.attributes;
            return true;
        }));
        return entries;
    }

    // The names a pattern in the folder lists, but "." and "..".
    std::vector<std::string> Names(const std::string& wildcard = "*") {
        std::vector<std::string> names;
        for (const auto& [name, attributes] : List(PathOf(wildcard)))
            if (name != "." && name != "..") names.push_back(name);
        return names;
    }

    NativeFileSystem files_;
    std::string folder_;
};

TEST_F(FileSystemTest, ListsMatchesOfAnyNameIgnoringCaseAndStopsWhenAsked) {
    const std::string names[] = {"PHOTO.JPG", "c.jpeg", kCafe, kKorean, kEmoji, kJapanese};
    for (const std::string& name : names) Write(name);

    EXPECT_THAT(Names(), ::testing::UnorderedElementsAreArray(names));
    EXPECT_THAT(Names("*.jpg"), UnorderedElementsAre("PHOTO.JPG", kKorean));
    EXPECT_THAT(Names("caf?.bmp"), UnorderedElementsAre(kCafe));
    EXPECT_THAT(Names("*.xyz"), IsEmpty());
    // A drive root's catalogue entries carry two separators; they must still name the folder.
    EXPECT_EQ(List(PathOf("", "*.jpg")).size(), 2u);

    int visits = 0;
    EXPECT_TRUE(files_.ListMatches(PathOf("*"), [&](const FolderEntry&) { return ++visits < 2; }));
    EXPECT_EQ(visits, 2);
}

TEST_F(FileSystemTest, ReportsTheClassicAttributeBits) {
    using namespace attribute;
    Write("plain.bmp");
    fs::create_directory(FsPath(PathOf("sub")));
    std::map<std::string, std::uint32_t> expected{
        {"plain.bmp", kArchive}, {"sub", kDirectory}, {".", kDirectory}, {"..", kDirectory}};
#ifdef _WIN32
    // Wine keeps the archive bit on every file, so the values expected are the stored ones,
    // masked; each must show the bit it was set for.
    const struct {
        const char* name;
        DWORD value;
        std::uint32_t shows;
    } set[] = {{"readonly.bmp", FILE_ATTRIBUTE_READONLY, kReadOnly},
               {"hidden.bmp", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, kHidden},
               {"system.bmp", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE, kSystem},
               {"normal.bmp", FILE_ATTRIBUTE_NORMAL, 0},
               {"unindexed.bmp", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, 0},
               {"temporary.bmp", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY, 0}};
    for (const auto& file : set) {
        Write(file.name);
        const std::wstring path = WideFromUtf8(PathOf(file.name));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), file.value));
        const std::uint32_t stored = GetFileAttributesW(path.c_str());
        ASSERT_EQ(stored & file.shows, file.shows) << file.name;
        expected[file.name] = stored & (kReadOnly | kHidden | kSystem | kDirectory | kArchive);
    }
#else
    for (const char* name : {"readonly.bmp", ".hidden.bmp", ".hidden-readonly.bmp"}) Write(name);
    MakeReadOnly("readonly.bmp");
    MakeReadOnly(".hidden-readonly.bmp");
    ASSERT_EQ(mkfifo(PathOf("pipe.bmp").c_str(), 0600), 0);
    ASSERT_EQ(symlink("plain.bmp", PathOf("link.bmp").c_str()), 0);
    ASSERT_EQ(symlink("missing.bmp", PathOf("dangling.bmp").c_str()), 0);  // not listed
    expected.insert({{"readonly.bmp", kReadOnly},
                     {".hidden.bmp", kHidden},
                     {".hidden-readonly.bmp", kHidden | kReadOnly},
                     {"pipe.bmp", kSystem},
                     {"link.bmp", kArchive}});
#endif

    EXPECT_EQ(List(PathOf("*")), expected);

    // A cheap listing tells everything but a regular file's read-only mark on POSIX.
    std::map<std::string, std::uint32_t> cheaply;
    EXPECT_TRUE(files_.ListMatchesCheaply(PathOf("*"), [&](const FolderEntry& entry) {
        cheaply[entry.name] = entry.attributes;
        return true;
    }));
#ifndef _WIN32
    expected["readonly.bmp"] = kArchive;
    expected[".hidden-readonly.bmp"] = kHidden;
#endif
    EXPECT_EQ(cheaply, expected);
}

TEST_F(FileSystemTest, ReadsRangesOfAFile) {
    std::string bytes(100000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    Write(kKorean, bytes);
    const std::string path = PathOf(kKorean);
    EXPECT_EQ(files_.ReadFileRange(path, 0, 10), bytes.substr(0, 10));
    EXPECT_EQ(files_.ReadFileRange(path, 70000, 20000), bytes.substr(70000, 20000));
    EXPECT_EQ(files_.ReadFileRange(path, 99990, 100), bytes.substr(99990));  // to the end
    EXPECT_EQ(files_.ReadFileRange(path, 200000, 100), "");
    EXPECT_EQ(files_.ReadFileRange(PathOf("missing"), 0, 10), std::nullopt);
    EXPECT_EQ(files_.ReadFileRange(folder_, 0, 10), std::nullopt);
}

// A file written at noon, local time, of a summer's day.
TEST_F(FileSystemTest, TellsWhenAFileWasLastWrittenInLocalTime) {
    Write(kJapanese, "x");
    std::tm noon{};
    noon.tm_year = 2020 - 1900;
    noon.tm_mon = 5;
    noon.tm_mday = 15;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    const auto written = std::chrono::system_clock::from_time_t(std::mktime(&noon));
    fs::last_write_time(FsPath(PathOf(kJapanese)), std::chrono::file_clock::from_sys(written));
    EXPECT_EQ(files_.LastWritten(PathOf(kJapanese)), (CalendarTime{2020, 6, 15, 12, 0, 0}));
    EXPECT_EQ(files_.LastWritten(PathOf("missing")), std::nullopt);
    EXPECT_EQ(files_.LastWritten(folder_), std::nullopt);
}

TEST_F(FileSystemTest, MissingPathsAndFoldersAreNoFilesAndListNothing) {
    Write("empty.ini");
    Write("big.bin", std::string(300000, 'x'));
    fs::create_directory(FsPath(PathOf("sub")));
    EXPECT_EQ(files_.ReadFile(PathOf("empty.ini")), "");
    EXPECT_EQ(files_.ReadFile(PathOf("", "big.bin")), std::string(300000, 'x'));  // doubled too
    for (const std::string& path : {PathOf("missing.ini"), PathOf("sub")}) {
        EXPECT_EQ(files_.ReadFile(path), std::nullopt) << path;
        EXPECT_FALSE(files_.FileExists(path)) << path;
    }
    EXPECT_TRUE(files_.FileExists(PathOf("empty.ini")));
    EXPECT_FALSE(files_.ListMatches(PathOf("missing", "*"), kVisitAll));
    EXPECT_FALSE(files_.ListMatches(PathOf("empty.ini", "*"), kVisitAll));
}

// A search of sub-folders tells a link from a folder, and where a link leads.
TEST_F(FileSystemTest, AFolderHasOneFinalPathByEveryPathThatReachesIt) {
    fs::create_directories(FsPath(PathOf("a", "b")));
    fs::create_directory(FsPath(PathOf("c")));
    Write("file.jpg");
    const std::optional<std::string> a = files_.FinalPath(PathOf("a"));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(files_.FinalPath(PathOf("a", "b", "..")), a);
    EXPECT_EQ(files_.FinalPath(PathOf("a", "")), a);
    EXPECT_EQ(files_.FinalPath(PathOf("a", "b")), *a + files_.Paths().separator + "b");
    EXPECT_NE(files_.FinalPath(PathOf("c")), a);
    EXPECT_EQ(files_.FinalPath(PathOf("file.jpg")), std::nullopt);
    EXPECT_EQ(files_.FinalPath(PathOf("missing")), std::nullopt);
#ifndef _WIN32
    // A link back up the tree leads to the folder it reaches, and the listing says it is one.
    fs::create_directory_symlink(FsPath(PathOf("a")), FsPath(PathOf("a", "b", "up")));
    EXPECT_EQ(files_.FinalPath(PathOf("a", "b", "up")), a);
    for (const bool cheaply : {false, true}) {
        std::vector<std::uint32_t> attributes;
        const auto visit = [&](const FolderEntry& entry) {
            attributes.push_back(entry.attributes);
            return true;
        };
        ASSERT_TRUE(cheaply ? files_.ListMatchesCheaply(PathOf("a", "b", "*"), visit)
                            : files_.ListMatches(PathOf("a", "b", "*"), visit));
        EXPECT_EQ(std::ranges::count(attributes, attribute::kDirectory | attribute::kLink), 1);
    }
#endif
}

TEST_F(FileSystemTest, FilesRemovedDuringAListingDoNotFailIt) {
    for (int i = 0; i < 200; ++i) Write("f" + std::to_string(i) + ".bmp");
    int visits = 0;
    EXPECT_TRUE(files_.ListMatches(PathOf("*.bmp"), [&](const FolderEntry& entry) {
        if (visits++ == 0) {
            for (int i = 0; i < 200; ++i)
                if ("f" + std::to_string(i) + ".bmp" != entry.name)
                    fs::remove(FsPath(PathOf("f" + std::to_string(i) + ".bmp")));
        }
        return true;
    }));
    EXPECT_LE(visits, 200);
}

// Replaced whole or not at all, never rewritten in place, and never a temporary file left
// behind.
TEST_F(FileSystemTest, WriteFileAtomicallyReplacesOrFailsLeavingTheOldFileWhole) {
    EXPECT_TRUE(files_.WriteFileAtomically(PathOf(kKorean), "first"));
    EXPECT_TRUE(files_.WriteFileAtomically(PathOf(kKorean), "second, longer"));
    Write("readonly.ini", "old");
    MakeReadOnly("readonly.ini");
    fs::create_directory(FsPath(PathOf("folder.ini")));
    Write("held.ini", "old");
    {
        std::ifstream reader(FsPath(PathOf("held.ini")));
#ifdef _WIN32
        EXPECT_FALSE(files_.WriteFileAtomically(PathOf("held.ini"), "new"));
        EXPECT_EQ(files_.ReadFile(PathOf("held.ini")), "old");
#else
        // A reader that opened the old file keeps seeing it whole.
        EXPECT_TRUE(files_.WriteFileAtomically(PathOf("held.ini"), "new"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), "old");
        EXPECT_EQ(files_.ReadFile(PathOf("held.ini")), "new");
#endif
    }
    EXPECT_TRUE(files_.WriteFileAtomically(PathOf(kKorean), "3"));
    EXPECT_FALSE(files_.WriteFileAtomically(PathOf("readonly.ini"), "new"));
    EXPECT_FALSE(files_.WriteFileAtomically(PathOf("folder.ini"), "new"));
    EXPECT_FALSE(files_.WriteFileAtomically(PathOf("missing", "a.ini"), "new"));

    EXPECT_EQ(files_.ReadFile(PathOf(kKorean)), "3");
    EXPECT_EQ(files_.ReadFile(PathOf("readonly.ini")), "old");
    EXPECT_THAT(Names(), UnorderedElementsAre(kKorean, "folder.ini", "held.ini", "readonly.ini"));
}

// A second name keeps the bytes when the first name is replaced; a read-only file is not.
TEST_F(FileSystemTest, MovesAFileOverAnotherUnlessReadOnlyAndASecondNameKeepsTheOld) {
    Write("a.bmp", "old");
    Write("next.bmp", "new");
    ASSERT_TRUE(files_.LinkFile(PathOf("a.bmp"), PathOf("a.bmp.held")));
    EXPECT_FALSE(files_.LinkFile(PathOf("a.bmp"), PathOf("next.bmp")));  // the name is taken
    EXPECT_FALSE(files_.LinkFile(PathOf("missing.bmp"), PathOf("c.bmp")));
    EXPECT_TRUE(files_.MoveFileOver(PathOf("next.bmp"), PathOf("a.bmp")));
    EXPECT_EQ(files_.ReadFile(PathOf("a.bmp")), "new");
    EXPECT_EQ(files_.ReadFile(PathOf("a.bmp.held")), "old");

    Write("next.bmp", "newer");
    MakeReadOnly("a.bmp");
    EXPECT_FALSE(files_.MoveFileOver(PathOf("next.bmp"), PathOf("a.bmp")));
    EXPECT_FALSE(files_.MoveFileOver(PathOf("missing.bmp"), PathOf("other.bmp")));
    EXPECT_EQ(files_.ReadFile(PathOf("a.bmp")), "new");

    EXPECT_TRUE(files_.RemoveFile(PathOf("next.bmp")));
    EXPECT_TRUE(files_.RemoveFile(PathOf("next.bmp")));  // nothing left there either way
    EXPECT_THAT(Names(), UnorderedElementsAre("a.bmp", "a.bmp.held"));
}

// Freed a piece at a time, but never through a second name, whose bytes they are.
TEST_F(FileSystemTest, RemovesALargeFileLeavingWhatASecondNameShowsWhole) {
    std::string bytes(2 * FileSystem::kBytesFreedAtOnce + 5, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 / 5);
    Write("a.bmp", bytes);
    ASSERT_TRUE(files_.LinkFile(PathOf("a.bmp"), PathOf("a.bmp.held")));

    EXPECT_TRUE(files_.RemoveLargeFile(PathOf("a.bmp.held")));
    EXPECT_TRUE(files_.ReadFile(PathOf("a.bmp")) == bytes);
    EXPECT_TRUE(files_.RemoveLargeFile(PathOf("a.bmp")));
    EXPECT_TRUE(files_.RemoveLargeFile(PathOf("a.bmp")));  // nothing left there either way
    EXPECT_THAT(Names(), IsEmpty());
}

TEST_F(FileSystemTest, CreatesFoldersWithTheirParentsAndTellsWhereFilesCanBeMade) {
    Write("file.txt");
    const std::string nested = PathOf(kJapanese, "b", "c");

    EXPECT_TRUE(files_.CreateFolders(nested));
    EXPECT_TRUE(files_.CreateFolders(nested));
    EXPECT_TRUE(fs::is_directory(FsPath(nested)));
    EXPECT_FALSE(files_.CreateFolders(PathOf("file.txt", "sub")));

    EXPECT_TRUE(files_.CanCreateFilesIn(folder_));
    EXPECT_FALSE(files_.CanCreateFilesIn(PathOf("missing")));
    EXPECT_FALSE(files_.CanCreateFilesIn(PathOf("file.txt")));
    EXPECT_THAT(Names(), UnorderedElementsAre(kJapanese, "file.txt"));  // the probe leaves none
}

}  // namespace
}  // namespace vexaframe
