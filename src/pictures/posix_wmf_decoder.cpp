// Placeable metafiles through libwmf, drawn by its own rasteriser (gd), which needs no display.
// The library hands over the drawn picture without a way to free it; a decoder's process ends
// soon after, and takes it along.

#include <libwmf/api.h>
#include <libwmf/gd.h>

#include <iterator>
#include <memory>
#include <string>
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
#define VEXAFRAME_DEJAVU "/usr/share/fonts/truetype/dejavu/DejaVu"
char kFontNames[][24] = {
    "Times-Roman",       "Times-Italic",       "Times-Bold",       "Times-BoldItalic",
    "Helvetica",         "Helvetica-Oblique",  "Helvetica-Bold",   "Helvetica-BoldOblique",
    "Courier",           "Courier-Oblique",    "Courier-Bold",     "Courier-BoldOblique",
    "Symbol",            "ZapfDingbats"};
char kFontFiles[][64] = {
    VEXAFRAME_DEJAVU "Serif.ttf",     VEXAFRAME_DEJAVU "Serif-Italic.ttf",
    VEXAFRAME_DEJAVU "Serif-Bold.ttf", VEXAFRAME_DEJAVU "Serif-BoldItalic.ttf",
    VEXAFRAME_DEJAVU "Sans.ttf",      VEXAFRAME_DEJAVU "Sans-Oblique.ttf",
    VEXAFRAME_DEJAVU "Sans-Bold.ttf", VEXAFRAME_DEJAVU "Sans-BoldOblique.ttf",
    VEXAFRAME_DEJAVU "SansMono.ttf",  VEXAFRAME_DEJAVU "SansMono-Oblique.ttf",
    VEXAFRAME_DEJAVU "SansMono-Bold.ttf", VEXAFRAME_DEJAVU "SansMono-BoldOblique.ttf",
    VEXAFRAME_DEJAVU "Sans.ttf",      VEXAFRAME_DEJAVU "Sans.ttf"};
#undef VEXAFRAME_DEJAVU

// The library takes the list as writable text, ended by an empty entry.
std::vector<wmfMapping> FontFiles() {
    std::vector<wmfMapping> mappings;
    for (std::size_t i = 0; i < std::size(kFontNames); ++i)
        mappings.push_back({kFontNames[i], kFontFiles[i], FT_ENCODING_NONE});
    mappings.push_back({nullptr, nullptr, FT_ENCODING_NONE});
    return mappings;
}

struct ApiDestroyer {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};
using Api = std::unique_ptr<wmfAPI, ApiDestroyer>;

Api CreateApi() {
    std::vector<wmfMapping> fonts = FontFiles();
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    options.font.ps = fonts.data();
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
    const Api api = CreateApi();
    if (!api) return std::nullopt;
    std::string data(bytes);  // the library reads through a pointer to writable bytes
    wmfD_Rect drawn{};
    float width = 0, height = 0;
    if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(data.data()),
                     static_cast<long>(data.size())) != wmf_E_None ||
        wmf_scan(api.get(), 0, &drawn) != wmf_E_None ||
        wmf_size(api.get(), &width, &height) != wmf_E_None ||
        api->PlaceableMetaHeader.Inch == 0) {
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
