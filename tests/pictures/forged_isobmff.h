#pragma once
// HEIF and AVIF headers written box by box, for the tests of the header check.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "forged.h"

namespace vexaframe::forged {

// A box of a 32-bit size: the size (which counts the header), the type and the payload.
inline std::string Box(std::string_view type, const std::string& payload) {
    return BigEndian32(static_cast<std::uint32_t>(payload.size() + 8)) + std::string(type) +
           payload;
}

// A box whose payload starts with a version and 24 bits of flags.
inline std::string FullBox(std::string_view type, int version, std::uint32_t flags,
                           const std::string& payload) {
    std::string header(1, static_cast<char>(version));
    AppendNumber(header, flags, 3, true);
    return Box(type, header + payload);
}

inline std::string Ispe(std::uint32_t width, std::uint32_t height) {
    return FullBox("ispe", 0, 0, BigEndian32(width) + BigEndian32(height));
}
inline std::string Irot(int quarters) {
    return Box("irot", std::string(1, static_cast<char>(quarters)));
}
inline std::string Imir(int axis) {
    return Box("imir", std::string(1, static_cast<char>(axis)));
}
// A decoder configuration; its content does not matter to the header check.
inline std::string Hvcc() {
    return Box("hvcC", std::string(23, '\x01'));
}

struct ItemEntry {
    std::uint32_t id;
    std::string type;
    int version = 2;
};

struct Associations {
    std::uint32_t item;
    std::vector<std::uint32_t> properties;  // indices from 1; the essential bit set on all
};

// A picture file: the file type box, a meta box of a handler, the primary item, the item
// entries and their properties, and the coded data after them.
struct IsobmffFile {
    std::string majorBrand = "heic";
    std::vector<std::string> compatibleBrands = {"mif1", "heic"};
    std::uint32_t primary = 1;
    int primaryVersion = 0;
    std::vector<ItemEntry> items = {{1, "hvc1"}};
    std::vector<std::string> properties = {Hvcc(), Ispe(64, 48)};
    std::vector<Associations> associations = {{1, {1, 2}}};
    int associationsVersion = 0;
    std::uint32_t associationsFlags = 0;      // 1: indices of 15 bits
    std::vector<std::string> otherMetaBoxes;  // after the item properties

    std::string FileType() const {
        std::string brands = majorBrand + std::string(4, '\0');
        for (const std::string& brand : compatibleBrands) brands += brand;
        return Box("ftyp", brands);
    }

    std::string Meta() const {
        const std::string handler =
            FullBox("hdlr", 0, 0, std::string(4, '\0') + "pict" + std::string(13, '\0'));
        const std::string primaryItem =
            FullBox("pitm", primaryVersion, 0,
                    primaryVersion == 0 ? BigEndian16(primary) : BigEndian32(primary));
        std::string entries = BigEndian16(static_cast<std::uint32_t>(items.size()));
        for (const ItemEntry& item : items) {
            const std::string id = item.version == 2 ? BigEndian16(item.id) : BigEndian32(item.id);
            entries += FullBox("infe", item.version, 0, id + BigEndian16(0) + item.type + '\0');
        }
        std::string container;
        for (const std::string& property : properties) container += property;
        return FullBox("meta", 0, 0,
                       handler + primaryItem + FullBox("iinf", 0, 0, entries) +
                           Box("iprp", Box("ipco", container) + AssociationBox()) +
                           Joined(otherMetaBoxes));
    }

    static std::string Joined(const std::vector<std::string>& boxes) {
        std::string joined;
        for (const std::string& box : boxes) joined += box;
        return joined;
    }

    std::string AssociationBox() const {
        const bool wide = (associationsFlags & 1) != 0;
        std::string body = BigEndian32(static_cast<std::uint32_t>(associations.size()));
        for (const Associations& entry : associations) {
            body += associationsVersion == 0 ? BigEndian16(entry.item) : BigEndian32(entry.item);
            body += static_cast<char>(entry.properties.size());
            for (const std::uint32_t index : entry.properties) {
                if (wide)
                    body += BigEndian16(0x8000 | index);
                else
                    body += static_cast<char>(0x80 | index);
            }
        }
        return FullBox("ipma", associationsVersion, associationsFlags, body);
    }

    std::string Bytes() const { return FileType() + Meta() + Box("mdat", "coded picture"); }
};

}  // namespace vexaframe::forged
