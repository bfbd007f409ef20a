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

using ::testing::ElementsAre;

struct Record {
    std::uint16_t function;
    std::vector<std::uint16_t> parameters;
};

// A metafile read back as a player reads it: header words, then records by their sizes.
struct ReadBack {
    std::vector<std::uint16_t> placeable;  // 11 words
    std::vector<std::uint16_t> header;     // 9 words
    std::vector<Record> records;           // up to the end record, which is left out
    bool endsWithEndRecord = false;
    std::uint32_t largestRecordWords = 0;
};

std::vector<std::uint16_t> Words(const std::string& bytes) {
    std::vector<std::uint16_t> words;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        words.push_back(static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                                   static_cast<std::uint8_t>(bytes[at + 1]) << 8));
    }
    return words;
}

std::uint32_t Dword(const std::vector<std::uint16_t>& words, std::size_t at) {
    return words[at] | static_cast<std::uint32_t>(words[at + 1]) << 16;
}

ReadBack Read(const Metafile& metafile) {
    const std::string bytes = metafile.Bytes();
    EXPECT_EQ(bytes.size() % 2, 0u);
    const std::vector<std::uint16_t> words = Words(bytes);
    ReadBack file;
    file.placeable.assign(words.begin(), words.begin() + 11);
    file.header.assign(words.begin() + 11, words.begin() + 20);
    for (std::size_t at = 20; at < words.size();) {
        const std::uint32_t size = Dword(words, at);
        if (size < 3 || at + size > words.size()) break;
        file.largestRecordWords = std::max(file.largestRecordWords, size);
        const Record record{words[at + 2],
                            {words.begin() + static_cast<std::ptrdiff_t>(at) + 3,
                             words.begin() + static_cast<std::ptrdiff_t>(at + size)}};
        at += size;
        if (record.function == 0) {
            file.endsWithEndRecord = size == 3 && at == words.size();
            break;
        }
        file.records.push_back(record);
    }
    return file;
}

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

TEST(Metafile, PlaceableHeaderHoldsKeyBoundsUnitsPerInchAndChecksum) {
    const ReadBack file = Read(Metafile(1200, 900, 1440));

    EXPECT_EQ(Dword(file.placeable, 0), 0x9AC6CDD7u);
    EXPECT_THAT(std::vector(file.placeable.begin() + 2, file.placeable.begin() + 10),
                ElementsAre(0, 0, 0, 1200, 900, 1440, 0, 0));
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 10; ++i) checksum ^= file.placeable[i];
    EXPECT_EQ(file.placeable[10], checksum);
}

TEST(Metafile, RecordSizesLeadToTheEndRecordAndTheHeaderAgreesWithThem) {
    const Metafile metafile = Drawing();
    const ReadBack file = Read(metafile);

    EXPECT_TRUE(file.endsWithEndRecord);
    EXPECT_EQ(file.header[0], 1);       // in memory
    EXPECT_EQ(file.header[1], 9);       // header words
    EXPECT_EQ(file.header[2], 0x0300);  // version
    EXPECT_EQ(Dword(file.header, 3), (metafile.Bytes().size() - 22) / 2);
    EXPECT_EQ(Dword(file.header, 6), file.largestRecordWords);
    EXPECT_EQ(file.header[8], 0);
}

TEST(Metafile, StartsWithTheWindowOfTheBoundingBox) {
    const ReadBack file = Read(Metafile(1200, 900, 1440));
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_EQ(file.records[0].function, 0x020B);  // SetWindowOrg: y, x
    EXPECT_THAT(file.records[0].parameters, ElementsAre(0, 0));
    EXPECT_EQ(file.records[1].function, 0x020C);  // SetWindowExt: height, width
    EXPECT_THAT(file.records[1].parameters, ElementsAre(900, 1200));
}

TEST(Metafile, ShapesAndObjectsStoreTheirFieldsInThePlayersOrder) {
    Metafile metafile(100, 100, 96);
    metafile.SetFill(0x123456);
    metafile.SetOutline(0xABCDEF, 7);
    metafile.Rectangle({10, 20, 30, 40});
    metafile.Ellipse({-1, 2, 3, 4});
    metafile.Polygon(std::vector<MetaPoint>{{1, 2}, {3, -4}, {5, 6}});
    const ReadBack file = Read(metafile);

    std::map<std::uint16_t, std::vector<std::uint16_t>> byFunction;
    for (const Record& record : file.records) byFunction[record.function] = record.parameters;
    // LOGBRUSH: style, COLORREF (red, green, blue, 0), hatch.
    EXPECT_THAT(byFunction[0x02FC], ElementsAre(0, 0x3412, 0x0056, 0));
    // LOGPEN: style, width as a point, COLORREF.
    EXPECT_THAT(byFunction[0x02FA], ElementsAre(0, 7, 0, 0xCDAB, 0x00EF));
    EXPECT_THAT(byFunction[0x041B], ElementsAre(40, 30, 20, 10));
    EXPECT_THAT(byFunction[0x0418], ElementsAre(4, 3, 2, 0xFFFF));
    EXPECT_THAT(byFunction[0x0324], ElementsAre(3, 1, 2, 3, 0xFFFC, 5, 6));
}

// Plays the object records the way a player keeps its object table: each new object in
// the lowest free slot; only existing objects selected; selected ones never deleted. Notes
// which brush each shape was drawn with.
TEST(Metafile, ObjectRecordsKeepThePlayersObjectTableConsistent) {
    const ReadBack file = Read(Drawing());

    std::vector<std::optional<Record>> table(file.header[5]);  // as many slots as announced
    std::map<std::uint16_t, int> selected;                     // creating function -> slot
    std::vector<std::uint16_t> shapeBrushColours;
    for (const Record& record : file.records) {
        const std::uint16_t slot = record.parameters.empty() ? 0 : record.parameters[0];
        switch (record.function) {
            case 0x02FC:
            case 0x02FA: {
                const auto free =
                    std::ranges::find_if(table, [](const auto& object) { return !object; });
                ASSERT_NE(free, table.end()) << "more objects than the header announces";
                *free = record;
                break;
            }
            case 0x012D:
                ASSERT_LT(slot, table.size());
                ASSERT_TRUE(table[slot].has_value()) << "selects an empty slot";
                selected[table[slot]->function] = slot;
                break;
            case 0x01F0:
                ASSERT_LT(slot, table.size());
                ASSERT_TRUE(table[slot].has_value()) << "deletes an empty slot";
                EXPECT_FALSE(selected.contains(table[slot]->function) &&
                             selected[table[slot]->function] == slot)
                    << "deletes a selected object";
                table[slot].reset();
                break;
            case 0x041B:
            case 0x0418:
            case 0x0324:
                ASSERT_TRUE(selected.contains(0x02FC));
                shapeBrushColours.push_back(
                    table[static_cast<std::size_t>(selected[0x02FC])]->parameters[1]);
                break;
            default:
                break;
        }
    }
    EXPECT_THAT(shapeBrushColours, ElementsAre(0x00FF, 0xFF00, 0x00FF, 0x00FF));
}

}  // namespace
}  // namespace vexaframe::samples
