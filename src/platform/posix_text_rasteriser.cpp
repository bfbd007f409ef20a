// Text through fontconfig and FreeType: fontconfig sorts the installed fonts by how well they
// match the desktop's sans-serif font, and each character is drawn from the first of them that
// has it; FreeType draws the glyphs, antialiased, one after the other on a common baseline.

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/text_rasteriser.h"
#include "platform/wide_text.h"

namespace vexaframe {
namespace {

namespace release {
struct DestroyConfig {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct DestroyPattern {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct DestroyFontSet {
    void operator()(FcFontSet* fonts) const { FcFontSetDestroy(fonts); }
};
struct DoneFreeType {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct DoneFace {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
}  // namespace release

using OwnedConfig = std::unique_ptr<FcConfig, release::DestroyConfig>;
using OwnedPattern = std::unique_ptr<FcPattern, release::DestroyPattern>;
using OwnedFontSet = std::unique_ptr<FcFontSet, release::DestroyFontSet>;
using OwnedFreeType = std::unique_ptr<FT_LibraryRec_, release::DoneFreeType>;
using OwnedFace = std::unique_ptr<FT_FaceRec_, release::DoneFace>;

constexpr char32_t kEllipsis = U'\u2026';
constexpr FT_Int32 kGlyphLoad = FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP;

OwnedFreeType StartFreeType() {
    FT_Library library = nullptr;
    return OwnedFreeType(FT_Init_FreeType(&library) == 0 ? library : nullptr);
}

// The installed outline fonts, best match of the sans-serif font first, each one after it only
// when it has characters the ones before lack.
OwnedFontSet SortedSansSerifFonts(FcConfig* config) {
    if (config == nullptr) return nullptr;
    OwnedPattern pattern(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:outline=true")));
    if (!pattern) return nullptr;
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result;
    return OwnedFontSet(FcFontSort(config, pattern.get(), FcTrue, nullptr, &result));
}

// One installed font, opened when a character first needs it.
struct Font {
    std::string file;
    int index = 0;
    const FcCharSet* characters = nullptr;  // owned by the sorted set
    OwnedFace face;
    FT_F26Dot6 size = 0;  // the em the face is set to, 1/64 pixel
    bool unusable = false;
};

std::vector<Font> OutlineFonts(const FcFontSet* sorted) {
    std::vector<Font> fonts;
    for (int i = 0; sorted != nullptr && i < sorted->nfont; ++i) {
        FcPattern* pattern = sorted->fonts[i];
        FcChar8* file = nullptr;
        FcCharSet* characters = nullptr;
        FcBool outline = FcFalse;
        int index = 0;
        if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch ||
            FcPatternGetCharSet(pattern, FC_CHARSET, 0, &characters) != FcResultMatch ||
            FcPatternGetBool(pattern, FC_OUTLINE, 0, &outline) != FcResultMatch || !outline)
            continue;
        FcPatternGetInteger(pattern, FC_INDEX, 0, &index);
        Font& font = fonts.emplace_back();
        font.file = reinterpret_cast<const char*>(file);
        font.index = index;
        font.characters = characters;
    }
    return fonts;
}

// A glyph placed on the line: its face, where its origin is and how far it moves the next one
// on, in 1/64 pixel.
struct PlacedGlyph {
    FT_Face face;
    FT_UInt index;
    FT_Pos x, advance;
};

struct Line {
    std::vector<PlacedGlyph> glyphs;
    FT_Pos width = 0;  // 1/64 pixel
};

int WholePixels(FT_Pos sixtyFourths) {
    return static_cast<int>((sixtyFourths + 63) >> 6);
}

// How many glyphs from the line's start fit in `maxWidth` pixels with `tailWidth` after them.
std::size_t FittingGlyphs(const Line& line, FT_Pos tailWidth, int maxWidth) {
    std::size_t kept = 0;
    for (const PlacedGlyph& glyph : line.glyphs) {
        if (WholePixels(glyph.x + glyph.advance + tailWidth) > maxWidth) break;
        ++kept;
    }
    return kept;
}

void DrawGlyph(const FT_Bitmap& bitmap, int left, int top, TextMask& mask) {
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int y = top + static_cast<int>(row);
        if (y < 0 || y >= mask.height) continue;
        const unsigned char* source =
            bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = left + static_cast<int>(column);
            if (x < 0 || x >= mask.width) continue;
            std::uint8_t& covered = mask.coverage[static_cast<std::size_t>(y) * mask.width + x];
            covered = std::max(covered, source[column]);
        }
    }
}

class FreeTypeRasteriser final : public TextRasteriser {
public:
    FreeTypeRasteriser()
        : library_(StartFreeType()),
          config_(FcInitLoadConfigAndFonts()),
          sorted_(SortedSansSerifFonts(config_.get())),
          fonts_(OutlineFonts(sorted_.get())) {}

    TextMask Rasterise(std::string_view utf8, int pixelHeight, int maxWidth) override {
        Font* primary = PrimaryFont();
        if (utf8.empty() || pixelHeight < 1 || maxWidth < 1 || primary == nullptr) return {};
        SetLineHeight(*primary, pixelHeight);
        Line line = LayOut(DecodeUtf8(utf8), maxWidth);
        if (WholePixels(line.width) > maxWidth) Cut(line, maxWidth);
        return Draw(line, pixelHeight);
    }

private:
    // The font whose size and baseline the line takes.
    Font* PrimaryFont() {
        for (Font& font : fonts_)
            if (Open(font)) return &font;
        return nullptr;
    }

    FT_Face Open(Font& font) {
        if (!font.face && !font.unusable && library_) {
            FT_Face face = nullptr;
            if (FT_New_Face(library_.get(), font.file.c_str(), font.index, &face) == 0)
                font.face.reset(face);
            font.unusable = !font.face || !FT_IS_SCALABLE(face);
        }
        return font.unusable ? nullptr : font.face.get();
    }

    // Every font draws at the em that makes the primary font's ascent and descent fill the line.
    void SetLineHeight(const Font& primary, int pixelHeight) {
        const FT_Face face = primary.face.get();
        const double extent = std::max<double>(face->ascender - face->descender, 1.0);
        em_ =
            std::max<FT_F26Dot6>(64, std::lround(pixelHeight * 64.0 * face->units_per_EM / extent));
        baseline_ = static_cast<int>(std::lround(pixelHeight * face->ascender / extent));
    }

    FT_Face SizedFace(Font& font) {
        const FT_Face face = Open(font);
        if (face != nullptr && font.size != em_) {
            if (FT_Set_Char_Size(face, 0, em_, 0, 0) != 0) return nullptr;
            font.size = em_;
        }
        return face;
    }

    // The first font that has the character, or the primary one (its missing glyph) if none.
    FT_Face FaceFor(char32_t character) {
        for (Font& font : fonts_)
            if (FcCharSetHasChar(font.characters, character))
                if (const FT_Face face = SizedFace(font)) return face;
        return SizedFace(*PrimaryFont());
    }

    // Places the glyph after the line's last one; false if the font cannot load it.
    bool Append(char32_t character, Line& line) {
        const FT_Face face = FaceFor(character);
        if (face == nullptr) return false;
        const FT_UInt index = FT_Get_Char_Index(face, character);
        if (FT_Load_Glyph(face, index, kGlyphLoad) != 0) return false;
        line.glyphs.push_back({face, index, line.width, face->glyph->advance.x});
        line.width += face->glyph->advance.x;
        return true;
    }

    // The characters one after the other, up to the first one that ends beyond `maxWidth`.
    Line LayOut(const std::wstring& text, int maxWidth) {
        Line line;
        for (const wchar_t character : text) {
            Append(static_cast<char32_t>(character), line);
            if (WholePixels(line.width) > maxWidth) break;
        }
        return line;
    }

    // Keeps what fits in `maxWidth` with an ellipsis after it, or without one when even the
    // ellipsis is too wide.
    void Cut(Line& line, int maxWidth) {
        Line ellipsis;
        const bool withEllipsis =
            Append(kEllipsis, ellipsis) && WholePixels(ellipsis.width) <= maxWidth;
        line.glyphs.resize(FittingGlyphs(line, withEllipsis ? ellipsis.width : 0, maxWidth));
        line.width = line.glyphs.empty() ? 0 : line.glyphs.back().x + line.glyphs.back().advance;
        if (!withEllipsis) return;
        line.glyphs.push_back(ellipsis.glyphs[0]);
        line.glyphs.back().x = line.width;
        line.width += ellipsis.width;
    }

    TextMask Draw(const Line& line, int pixelHeight) {
        TextMask mask{WholePixels(line.width), pixelHeight, {}};
        mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
        for (const PlacedGlyph& glyph : line.glyphs) {
            if (FT_Load_Glyph(glyph.face, glyph.index, kGlyphLoad | FT_LOAD_RENDER) != 0) continue;
            const FT_GlyphSlot slot = glyph.face->glyph;
            DrawGlyph(slot->bitmap, static_cast<int>((glyph.x + 32) >> 6) + slot->bitmap_left,
                      baseline_ - slot->bitmap_top, mask);
        }
        return mask;
    }

    // Destroyed in reverse: the faces before the library, the sorted fonts before the
    // configuration whose caches they point into.
    OwnedFreeType library_;
    OwnedConfig config_;
    OwnedFontSet sorted_;
    std::vector<Font> fonts_;
    FT_F26Dot6 em_ = 0;
    int baseline_ = 0;
};

}  // namespace

std::unique_ptr<TextRasteriser> MakeTextRasteriser() {
    return std::make_unique<FreeTypeRasteriser>();
}

}  // namespace vexaframe
