// What only HEIF and AVIF headers have: brands, items, property associations and the turns of
// 'irot' and 'imir'. Sizes at the limits and cut-short headers are with the other kinds in
// picture_header_tests.cpp.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "forged_isobmff.h"
#include "pictures/exif_orientation.h"
#include "pictures/image.h"
#include "pictures/picture_header.h"

namespace vexaframe {
namespace {

using namespace forged;

std::optional<PictureHeader> Read(const IsobmffFile& file) {
    return ReadPictureHeader(file.Bytes());
}

IsobmffFile WithProperties(std::vector<std::string> properties) {
    IsobmffFile file;
    std::vector<std::uint32_t> indices;
    for (std::uint32_t i = 1; i <= properties.size(); ++i) indices.push_back(i);
    file.properties = std::move(properties);
    file.associations = {{1, indices}};
    return file;
}

// The stored 64 x 48 picture that Exif `orientation` and these properties turn upright: each
// Exif value 2..8 by one rotation and at most one mirror, listed in the order they apply.
TEST(ReadIsobmffHeader, TurnsThePictureAsItsRotationAndMirrorSayInTheirOrder) {
    const struct {
        std::vector<std::string> turns;
        int orientation;
    } cases[] = {
        {{}, 1},
        {{Irot(0)}, 1},
        {{Imir(1)}, 2},            // left and right exchanged
        {{Irot(2)}, 3},            // half a turn
        {{Imir(0)}, 4},            // top and bottom exchanged
        {{Irot(1), Imir(0)}, 5},   // a quarter anticlockwise, then upside down: transposed
        {{Imir(1), Irot(1)}, 5},   // the same by a mirror first
        {{Irot(3)}, 6},            // three quarters anticlockwise: one clockwise
        {{Irot(1), Imir(1)}, 7},   // the other diagonal
        {{Imir(0), Irot(1)}, 7},   //
        {{Irot(1)}, 8},            // a quarter anticlockwise
        {{Irot(2), Imir(0)}, 2},   // half a turn and upside down: mirrored
        {{Imir(1), Imir(1)}, 1},   // twice mirrored
        {{Irot(0xFF)}, 6},         // the reserved bits do not count
        {{Imir(0xFE)}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "orientation " << c.orientation);
        std::vector<std::string> properties = {Hvcc(), Ispe(64, 48)};
        properties.insert(properties.end(), c.turns.begin(), c.turns.end());
        const std::optional<PictureHeader> header = Read(WithProperties(properties));
        ASSERT_TRUE(header);
        EXPECT_EQ(header->orientation, c.orientation);
        EXPECT_EQ(header->size, (PixelSize{64, 48}));  // as stored, before the turn
    }
    // A turn associated with another item does not count.
    IsobmffFile file = WithProperties({Hvcc(), Ispe(64, 48), Irot(1)});
    file.items.push_back({2, "hvc1"});
    file.associations = {{2, {3}}, {1, {1, 2}}};
    EXPECT_EQ(Read(file)->orientation, kUpright);
}

TEST(ReadIsobmffHeader, TakesTheKindFromThePrimaryItemAndTheBrands) {
    const struct {
        const char* name;
        std::string major;
        std::vector<std::string> compatible;
        std::string itemType;
        std::optional<PictureKind> kind;
    } cases[] = {
        {"HEIC", "heic", {"mif1", "heic"}, "hvc1", PictureKind::Heif},
        {"HEIC of 10 bits", "heix", {}, "hvc1", PictureKind::Heif},
        {"HEVC sequence brand", "hevc", {"msf1"}, "hvc1", PictureKind::Heif},
        {"AVIF", "avif", {"mif1", "miaf"}, "av01", PictureKind::Avif},
        {"AVIF sequence", "avis", {"msf1"}, "av01", PictureKind::Avif},
        {"mif1 alone, HEVC", "mif1", {}, "hvc1", PictureKind::Heif},
        {"mif1 alone, AV1", "mif1", {"miaf"}, "av01", PictureKind::Avif},
        {"AV1 under an AVIF brand in the compatible ones", "MA1B", {"avif"}, "av01",
         PictureKind::Avif},
        {"HEIC grid", "heic", {"mif1"}, "grid", PictureKind::Heif},
        {"AVIF grid", "mif1", {"miaf", "avif"}, "grid", PictureKind::Avif},
        {"grid of both brands: the first", "avif", {"heic"}, "grid", PictureKind::Avif},
        {"grid without a coding's brand", "mif1", {}, "grid", std::nullopt},
        {"HEVC under AVIF brands only", "avif", {"avis"}, "hvc1", std::nullopt},
        {"AV1 under HEIC brands only", "heic", {"heix"}, "av01", std::nullopt},
        {"JPEG item", "mif1", {"heic"}, "jpeg", std::nullopt},
        {"derived identity item", "heic", {"mif1"}, "iden", std::nullopt},
        {"a video", "isom", {"iso2", "avc1", "mp41"}, "hvc1", std::nullopt},
        {"a photograph of another brand", "jpeg", {"jpgs"}, "hvc1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IsobmffFile file;
        file.majorBrand = c.major;
        file.compatibleBrands = c.compatible;
        file.items = {{1, c.itemType}};
        const std::optional<PictureHeader> header = Read(file);
        ASSERT_EQ(header.has_value(), c.kind.has_value());
        if (header) {
            EXPECT_EQ(header->kind, *c.kind);
        }
    }
}

// The primary item among others, named in either width of its entry; its properties through
// each layout of the associations.
TEST(ReadIsobmffHeader, FindsThePrimaryItemsSizeThroughEachLayout) {
    IsobmffFile file;
    file.primary = 70000;
    file.primaryVersion = 1;
    file.items = {{1, "hvc1"}, {70000, "hvc1", 3}, {3, "Exif"}};
    file.properties = {Hvcc(), Ispe(512, 512), Ispe(4032, 3024), Ispe(33, 11)};
    file.associations = {{1, {1, 2}}, {70000, {0, 1, 3, 4}}};
    for (const int version : {0, 1}) {
        for (const std::uint32_t flags : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << "version " << version << " flags " << flags);
            file.associationsVersion = version;
            file.associationsFlags = flags;
            const std::optional<PictureHeader> header = Read(file);
            if (version == 0) {
                // Item ids of 16 bits cannot name 70000 (it reads as 4464).
                EXPECT_FALSE(header);
                continue;
            }
            ASSERT_TRUE(header);
            EXPECT_EQ(header->size, (PixelSize{4032, 3024}));  // the first of its sizes
        }
    }
    // Indices of 15 bits reach past the 127 a narrow index can.
    std::vector<std::string> many(200, Box("free", ""));
    many[0] = Hvcc();
    many[150] = Ispe(800, 600);
    IsobmffFile wide = WithProperties({});
    wide.properties = many;
    wide.associations = {{1, {1, 151}}};
    wide.associationsFlags = 1;
    ASSERT_TRUE(Read(wide));
    EXPECT_EQ(Read(wide)->size, (PixelSize{800, 600}));
    wide.associationsFlags = 0;  // 151 as seven bits: 23, a free box
    EXPECT_FALSE(Read(wide));
}

TEST(ReadIsobmffHeader, RefusesAPrimaryItemItCannotSize) {
    IsobmffFile noPrimary;
    noPrimary.primary = 2;
    IsobmffFile primaryWithoutSize;
    primaryWithoutSize.items = {{1, "hvc1"}, {2, "hvc1"}};
    primaryWithoutSize.associations = {{1, {1}}, {2, {1, 2}}};
    IsobmffFile noEntry;
    noEntry.items = {{2, "hvc1"}};
    IsobmffFile oldEntry;
    oldEntry.items = {{1, "hvc1", 1}};
    IsobmffFile noAssociations;
    noAssociations.associations = {{2, {1, 2}}};
    IsobmffFile pastTheProperties;
    pastTheProperties.associations = {{1, {1, 3}}};
    IsobmffFile sizeCutShort = WithProperties({Hvcc(), FullBox("ispe", 0, 0, "\0\0\0\x40")});
    IsobmffFile emptyRotation = WithProperties({Hvcc(), Ispe(64, 48), Box("irot", "")});
    IsobmffFile emptyMirror = WithProperties({Hvcc(), Ispe(64, 48), Box("imir", "")});
    IsobmffFile laterSizeBeyond = WithProperties({Hvcc(), Ispe(64, 48), Ispe(0, 0)});
    IsobmffFile firstSizeBeyond = WithProperties({Hvcc(), Ispe(0, 0), Ispe(64, 48)});
    IsobmffFile pitmOfVersion2;
    pitmOfVersion2.primaryVersion = 2;

    ASSERT_TRUE(Read(laterSizeBeyond));  // only the first size counts
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"primary item of no entry and no properties", noPrimary.Bytes()},
        {"primary item without a size", primaryWithoutSize.Bytes()},
        {"primary item without an entry", noEntry.Bytes()},
        {"entry of version 1, without a type", oldEntry.Bytes()},
        {"no associations for the primary item", noAssociations.Bytes()},
        {"association past the properties", pastTheProperties.Bytes()},
        {"size cut short", sizeCutShort.Bytes()},
        {"rotation cut short", emptyRotation.Bytes()},
        {"mirror cut short", emptyMirror.Bytes()},
        {"first size beyond the limits", firstSizeBeyond.Bytes()},
        {"primary item box of an unknown version", pitmOfVersion2.Bytes()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadPictureHeader(c.bytes));
    }
}

// The meta box's children without one of those the header needs.
TEST(ReadIsobmffHeader, RefusesAMetaBoxWithoutItsChildren) {
    const IsobmffFile file;
    const std::string meta = file.Meta();
    for (const char* child : {"pitm", "iinf", "iprp"}) {
        SCOPED_TRACE(child);
        std::string renamed = meta;
        renamed.replace(renamed.find(child), 4, "free");
        EXPECT_FALSE(ReadPictureHeader(file.FileType() + renamed));
    }
    std::string noContainer = meta;
    noContainer.replace(noContainer.find("ipco"), 4, "free");
    EXPECT_FALSE(ReadPictureHeader(file.FileType() + noContainer));
    EXPECT_FALSE(ReadPictureHeader(file.FileType() + Box("mdat", "coded picture")));
    EXPECT_FALSE(ReadPictureHeader(file.Meta() + file.FileType()));  // not the first box
}

// The size field of each box the header reads, made one byte more than its parent holds, or
// less than its own header: the file is refused.
TEST(ReadIsobmffHeader, RefusesABoxThatOverrunsItsParent) {
    IsobmffFile file;
    file.items = {{1, "hvc1"}, {2, "Exif"}};  // the primary item's entry is not the last
    const std::string header = file.FileType() + file.Meta();  // the meta box ends the file
    for (const char* type :
         {"ftyp", "meta", "hdlr", "pitm", "iinf", "infe", "iprp", "ipco", "hvcC", "ispe", "ipma"}) {
        SCOPED_TRACE(type);
        const std::size_t sizeAt = header.find(type) - 4;
        const std::uint32_t size = static_cast<std::uint8_t>(header[sizeAt + 3]) |
                                   static_cast<std::uint8_t>(header[sizeAt + 2]) << 8;
        std::string longer = header;
        longer.replace(sizeAt, 4, BigEndian32(size + 1));
        EXPECT_FALSE(ReadPictureHeader(longer));
        std::string belowItsHeader = header;
        belowItsHeader.replace(sizeAt, 4, BigEndian32(7));
        EXPECT_FALSE(ReadPictureHeader(belowItsHeader));
    }
    ASSERT_TRUE(ReadPictureHeader(header));
}

// Size 0 runs to the end of the parent (of the file at the top); size 1 is followed by a 64-bit
// size.
TEST(ReadIsobmffHeader, TakesBoxesThatRunToTheEndOrHaveA64BitSize) {
    const IsobmffFile file;
    const std::string meta = file.Meta();
    const std::string toTheEnd = BigEndian32(0) + meta.substr(4);
    EXPECT_TRUE(ReadPictureHeader(file.FileType() + toTheEnd));

    std::string largeSize = BigEndian32(1) + "meta" + BigEndian32(0) +
                            BigEndian32(static_cast<std::uint32_t>(meta.size() + 8)) +
                            meta.substr(8);
    EXPECT_TRUE(ReadPictureHeader(file.FileType() + largeSize + Box("mdat", "x")));
    // A 64-bit size beyond the file, in its high half or its low.
    std::string beyond = largeSize;
    beyond.replace(8, 4, BigEndian32(1));
    EXPECT_FALSE(ReadPictureHeader(file.FileType() + beyond));
    EXPECT_FALSE(ReadPictureHeader(file.FileType() + largeSize.substr(0, largeSize.size() - 1)));

    // The property container's last box running to the end of the container.
    IsobmffFile lastToTheEnd;
    lastToTheEnd.properties = {Hvcc(), BigEndian32(0) + Ispe(640, 480).substr(4)};
    EXPECT_EQ(ReadPictureHeader(lastToTheEnd.Bytes())->size, (PixelSize{640, 480}));
    // A top-level box before the meta box, running to the end: there is no meta box.
    EXPECT_FALSE(ReadPictureHeader(file.FileType() + BigEndian32(0) + "mdat" + meta));
}

}  // namespace
}  // namespace vexaframe
