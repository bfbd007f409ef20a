// Our profile reader and writer against the system's own profile functions, on the same
// bytes. Run under a code-page-932 system (LC_ALL=ja_JP.UTF-8 under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "settings/profile_file.h"
#include "settings/settings_keys.h"

namespace vexaframe {
namespace {

namespace keys = settings_keys;

class ProfileDifferential : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "needs the Japanese code page";
        folder_ = std::filesystem::temp_directory_path() /
                  ("vexaframe_profile_" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // A fresh name for every file: the system caches profiles it has read.
    std::string NewFile(const std::string& bytes) {
        const std::string path = (folder_ / ("p" + std::to_string(count_++) + ".ini")).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    void ExpectSameRead(const std::string& text, const std::string& section,
                        const std::string& key) {
        std::vector<char> system(70000, '\0');
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", system.data(),
                                 static_cast<DWORD>(system.size()), NewFile(text).c_str());
        EXPECT_EQ(FindProfileValue(text, section, key).value_or(""), system.data())
            << "file: " << ::testing::PrintToString(text) << " key: " << key;
    }

    std::filesystem::path folder_;
    int count_ = 0;
};

const std::string kOrderKey(keys::kOrderMode);
const std::string kFolderKey(keys::kImageFolder);

TEST_F(ProfileDifferential, ReadsTheSameValues) {
    const std::string section(keys::kSection);
    const std::vector<std::string> files = {
        "[Section]\r\n" + kOrderKey + "=1\r\n",
        "[Section]\n" + kOrderKey + "=0\n",                    // LF line ends
        "[Section]\r" + kOrderKey + "=0",                      // CR alone, no final break
        "[SECTION]\r\n" + kOrderKey + "=7\r\n",                // section case
        "  [ Section ]  \r\n  " + kOrderKey + "  =  3  \r\n",  // blanks everywhere
        "[Section]\r\n" + kOrderKey + "=\"quoted value\"\r\n",
        "[Section]\r\n" + kOrderKey + "='single'\r\n",
        "[Section]\r\n" + kOrderKey + "=\"unbalanced'\r\n",
        "[Section]\r\n" + kOrderKey + "=\"\r\n",
        "[Section]\r\n" + kOrderKey + "\r\n",                            // no "="
        "[Section]\r\n;" + kOrderKey + "=9\r\n" + kOrderKey + "=4\r\n",  // comment line
        "[Section]\r\na=1\r\n[Section]\r\n" + kOrderKey + "=5\r\n",      // repeated section
        "[Section]\r\n" + kOrderKey + "=1\r\n" + kOrderKey + "=2\r\n",   // repeated key
        "[Other]\r\n" + kOrderKey + "=1\r\n",
        "junk before\r\n[Section]\r\n\r\n\r\n" + kOrderKey + "= x=y \r\n",
        "[Section]\r\n" + kFolderKey + "=C:\\\x8E\xCA\x90\x5E\\\xB6\xD2\xD7\r\n",  // 写真, ｶﾒﾗ
        "[Section]x\r\n" + kOrderKey + "=8\r\n",  // text after the bracket
        "[Section]\r\n" + kOrderKey + "=v\x1a\r\n",
        "[Section]\r\n" + kOrderKey + "=x" + std::string(1, '\0') + "y\r\n",  // NUL ends a value
        kOrderKey + "=6\r\n[Section]\r\n",                                    // before any section
        "[Section]\r\n" + kFolderKey + "=C:\\" + std::string(1000, 'x') + "\r\n",  // long
        "",
        "\r\n\r\n",
    };
    for (const std::string& file : files) {
        ExpectSameRead(file, section, kOrderKey);
        ExpectSameRead(file, section, kFolderKey);
    }
}

TEST_F(ProfileDifferential, ShiftJisNamesFoldOnlySingleByteLetters) {
    // ア (83 41) and ャ (83 61) differ only in a second byte that looks like 'A' and 'a'.
    ExpectSameRead("[\x83\x41]\r\nk=1\r\n", "\x83\x61", "k");
    ExpectSameRead("[S]\r\nKey\x83\x41=1\r\n", "S", "kEY\x83\x41");
    ExpectSameRead("[\x82\x60]\r\nk=1\r\n", "\x82\x81", "k");    // Ａ and ａ
    ExpectSameRead("[S]\r\n\x81\x40k\x81\x40=1\r\n", "S", "k");  // ideographic blanks
}

// Files in the form the system writes itself: there both writers give the same bytes.
std::string CanonicalFile(std::mt19937& random) {
    const std::vector<std::string> names = {
        "Section", "Other", "x", kOrderKey, kFolderKey, "\x93\xA7\x96\xBE\x8C\xF8\x89\xCA"};
    std::string file;
    const int sections = static_cast<int>(random() % 4);
    for (int s = 0; s < sections; ++s) {
        file += "[" + names[random() % 3] + "]\r\n";
        const int entries = static_cast<int>(random() % 4);
        for (int e = 0; e < entries; ++e) {
            file += names[random() % names.size()] + "=" + std::to_string(random() % 100) + "\r\n";
        }
    }
    return file;
}

TEST_F(ProfileDifferential, WritesTheSameBytesOnTheSystemsOwnForm) {
    std::mt19937 random(20261206);
    const std::vector<std::string> sections = {"Section", "section", "Other", "New"};
    const std::vector<std::string> keys = {kOrderKey, kFolderKey, "x", "X", "fresh"};
    const std::vector<std::string> values = {"1", "42", "C:\\\x8E\xCA\x90\x5E", "a b", "\"q\""};
    for (int round = 0; round < 150; ++round) {
        const std::string before = CanonicalFile(random);
        const std::string& section = sections[random() % sections.size()];
        const std::string& key = keys[random() % keys.size()];
        const std::string& value = values[random() % values.size()];

        const std::string path = NewFile(before);
        ASSERT_TRUE(
            WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()));
        EXPECT_EQ(WithProfileValue(before, section, key, value), Bytes(path))
            << "before: " << ::testing::PrintToString(before) << " [" << section << "] " << key
            << "=" << value;
    }
}

}  // namespace
}  // namespace vexaframe
