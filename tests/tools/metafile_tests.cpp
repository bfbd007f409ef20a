#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sample_pictures/metafile.h"

namespace vexaframe::samples {
namespace {

struct Record {
    std::uint16_t function;
    std::vector<std::uint16_t> parameters;
};

std::uint32_t Dword(const std::vector<std::uint16_t>& words, std::size_t at) {
    return words[at] | static_cast<std::uint32_t>(words[at + 1]) << 16;
}

// A metafile read back as a player reads it: header words, then records by their sizes up to the
// end record, which is left out.
struct ReadBack {
    std::vector<std::uint16_t> words;
    std::vector<Record> records;
    bool endsWithEndRecord = false;
    std::uint32_t largestRecordWords = 0;

    explicit ReadBack(const std::string& bytes) {
        EXPECT_EQ(bytes.size() % 2, 0u);
        for (std::size_t at = 0; at + 1 < bytes.size(); at += 2)
            words.push_back(static_cast<std::uint8_t>(bytes[at]) |
                            static_cast<std::uint8_t>(bytes[at + 1]) << 8);
        for (std::size_t at = 20; at + 3 <= words.size();) {
            const std::uint32_t size = Dword(words, at);
            if (size < 3 || at + size > words.size()) break;
            largestRecordWords = std::max(largestRecordWords, size);
            const auto begin = words.begin() + static_cast<std::ptrdiff_t>(at);
            at += size;
            if (begin[2] == 0) {
                endsWithEndRecord = size == 3 && at == words.size();
                break;
            }
            records.push_back({begin[2], {begin + 3, begin + size}});
        }
    }
};

Metafile Drawing() {
    Metafile metafile(1200, 900, 1440);
    metafile.SetFill(0xFF0000);
    metafile.SetOutline(0x000000, 0);
    metafile.Rectangle({0, 0, 1200, 900});
    metafile.SetFill(0x00FF00);
    metafile.Ellipse({100, 100, 300, 250});
    metafile.SetOutline(0x0000FF, 12);
    metafile.SetFill(0xFF0000);
    metafile.Polygon(std::vector<MetaPoint>{{10, 10}, {50, 10}, {30, 40}, {-5, 20}});
    metafile.SetFill(0xFF0000);
    metafile.Rectangle({1, 2, 3, 4});
    return metafile;
}

TEST(Metafile, HeadersAgreeWithTheRecordsThatLeadToTheEndRecord) {
    const std::string bytes = Drawing().Bytes();
    const ReadBack file(bytes);
    const std::vector<std::uint16_t>& words = file.words;

    // Placeable header: key, handle, bounds, units per inch, reserved, then the checksum of these.
    EXPECT_EQ(Dword(words, 0), 0x9AC6CDD7u);
    EXPECT_THAT(std::vector(words.begin() + 2, words.begin() + 10),
                ::testing::ElementsAre(0, 0, 0, 1200, 900, 1440, 0, 0));
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 10; ++i) checksum ^= words[i];
    EXPECT_EQ(words[10], checksum);
    // Header: in memory, 9 words, version 3, file size in words, objects, largest record.
    EXPECT_THAT(std::vector(words.begin() + 11, words.begin() + 14),
                ::testing::ElementsAre(1, 9, 0x0300));
    EXPECT_EQ(Dword(words, 14), (bytes.size() - 22) / 2);
    EXPECT_EQ(Dword(words, 17), file.largestRecordWords);
    EXPECT_EQ(words[19], 0);
    EXPECT_TRUE(file.endsWithEndRecord);
}

// Plays the object records the way a player keeps its object table: each new object in the lowest
// free slot; only existing objects selected; selected ones never deleted. Notes which brush each
// shape was drawn with.
TEST(Metafile, ObjectRecordsKeepThePlayersObjectTableConsistent) {
    const ReadBack file(Drawing().Bytes());
    std::vector<std::optional<Record>> table(file.words[16]);  // as many slots as announced
    std::map<std::uint16_t, std::size_t> selected;             // creating function -> slot
    std::vector<std::uint16_t> shapeBrushColours;
    for (const Record& record : file.records) {
        const std::uint16_t slot = record.parameters.empty() ? 0 : record.parameters[0];
        const bool existing = slot < table.size() && table[slot].has_value();
        switch (record.function) {
            case 0x02FC:    // CreateBrushIndirect
            case 0x02FA: {  // CreatePenIndirect
                const auto free =
                    std::ranges::find_if(table, [](const auto& object) { return !object; });
                ASSERT_NE(free, table.end()) << "more objects than the header announces";
                *free = record;
                break;
            }
            case 0x012D:  // SelectObject
                ASSERT_TRUE(existing) << "selects an empty slot";
                selected[table[slot]->function] = slot;
                break;
            case 0x01F0:  // DeleteObject
                ASSERT_TRUE(existing) << "deletes an empty slot";
                EXPECT_FALSE(selected.contains(table[slot]->function) &&
                             selected[table[slot]->function] == slot)
                    << "deletes a selected object";
                table[slot].reset();
                break;
            case 0x041B:  // Rectangle
            case 0x0418:  // Ellipse
            case 0x0324:  // Polygon
                ASSERT_TRUE(selected.contains(0x02FC));
                shapeBrushColours.push_back(table[selected[0x02FC]]->parameters[1]);
                break;
        }
    }
    EXPECT_THAT(shapeBrushColours, ::testing::ElementsAre(0x00FF, 0xFF00, 0x00FF, 0x00FF));
}

}  // namespace
}  // namespace vexaframe::samples
