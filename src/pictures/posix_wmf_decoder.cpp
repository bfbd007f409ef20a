// Placeable metafiles through libwmf, drawn by its own rasteriser (gd), which needs no display.
// The library hands over the drawn picture without a way to free it; a decoder's process ends
// soon after, and takes it along.

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/posix_picture_libraries.h"

namespace vexaframe {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr float kPointsPerInch = 72;
constexpr std::uint32_t kGdAlpha = 0x7F000000;  // 0 opaque, 0x7F untouched
constexpr std::uint32_t kGdUntouched = 0x7F000000;
constexpr unsigned long kQuietOptions = WMF_OPT_FUNCTION | WMF_OPT_FONTMAP |
                                        WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR |
                                        WMF_OPT_NO_DEBUG;

// The library draws no metafile, text or none, without a font for each PostScript name it maps
// the metafile's fonts to. Its own, Ghostscript's, are seldom installed; DejaVu's nearly always.
constexpr std::string_view kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVu";
constexpr struct {
    std::string_view name, dejaVu;
} kFonts[] = {
    {"Times-Roman", "Serif"},
    {"Times-Italic", "Serif-Italic"},
    {"Times-Bold", "Serif-Bold"},
    {"Times-BoldItalic", "Serif-BoldItalic"},
    {"Helvetica", "Sans"},
    {"Helvetica-Oblique", "Sans-Oblique"},
    {"Helvetica-Bold", "Sans-Bold"},
    {"Helvetica-BoldOblique", "Sans-BoldOblique"},
    {"Courier", "SansMono"},
    {"Courier-Oblique", "SansMono-Oblique"},
    {"Courier-Bold", "SansMono-Bold"},
    {"Courier-BoldOblique", "SansMono-BoldOblique"},
    {"Symbol", "Sans"},
    {"ZapfDingbats", "Sans"},
};

// The font files by name, as the library takes them: writable texts, an empty entry last.
class FontFiles {
public:
    FontFiles() {
        texts_.reserve(2 * std::size(kFonts));  // the mappings point into it: no reallocation
        for (const auto& font : kFonts) {
            std::string& name = texts_.emplace_back(font.name);
            std::string& file =
                texts_.emplace_back(std::string(kDejaVu) + std::string(font.dejaVu) + ".ttf");
            mappings_.push_back({name.data(), file.data(), FT_ENCODING_NONE});
        }
        mappings_.push_back({nullptr, nullptr, FT_ENCODING_NONE});
    }
    wmfMapping* Mappings() { return mappings_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<wmfMapping> mappings_;
};

struct ApiDestroyer {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};
using Api = std::unique_ptr<wmfAPI, ApiDestroyer>;

// `fonts` must outlast the library's use of it.
Api CreateApi(FontFiles& fonts) {
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    options.font.ps = fonts.Mappings();
    wmfAPI* created = nullptr;
    const wmf_error_t error = wmf_api_create(&created, kQuietOptions, &options);
    Api api(created);
    return error == wmf_E_None ? std::move(api) : nullptr;
}

std::uint32_t Colour(int gdPixel) {
    const auto pixel = static_cast<std::uint32_t>(gdPixel);
    return (pixel & kGdAlpha) == kGdUntouched ? kWhite : (pixel & ~kGdAlpha) | kOpaque;
}

}  // namespace

std::optional<Image> DecodePlaceableWmf(std::string_view bytes, PixelSize size) {
    FontFiles fonts;
    const Api api = CreateApi(fonts);
    if (!api) return std::nullopt;
    std::string data(bytes);  // the library reads through a pointer to writable bytes
    wmfD_Rect drawn{};
    float width = 0, height = 0;
    if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(data.data()),
                     static_cast<long>(data.size())) != wmf_E_None ||
        wmf_scan(api.get(), 0, &drawn) != wmf_E_None ||
        wmf_size(api.get(), &width, &height) != wmf_E_None || api->PlaceableMetaHeader.Inch == 0) {
        return std::nullopt;
    }
    // The whole frame the header declares, in the library's points, not just what is drawn.
    const float pointsPerUnit = kPointsPerInch / api->PlaceableMetaHeader.Inch;
    wmfD_Rect frame{{0, 0}, {width * pointsPerUnit, height * pointsPerUnit}};
    wmf_gd_t& target = *WMF_GD_GetData(api.get());
    target.type = wmf_gd_image;
    target.width = static_cast<unsigned int>(size.width);
    target.height = static_cast<unsigned int>(size.height);
    target.bbox = frame;
    if (wmf_play(api.get(), 0, &frame) != wmf_E_None || target.gd_image == nullptr)
        return std::nullopt;
    const int* pixels = wmf_gd_image_pixels(target.gd_image);
    if (pixels == nullptr) return std::nullopt;
    Image image(size.width, size.height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = Colour(pixels[i]);
    return image;
}

}  // namespace vexaframe
