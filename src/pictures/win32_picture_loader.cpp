#include <windows.h>

#include "pictures/picture_loader.h"
// windows.h first: this needs its types.
#include <objbase.h>
#include <olectl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

#include "pictures/bmp_file.h"
#include "pictures/exif_orientation.h"
#include "pictures/picture_header.h"
#include "pictures/win32_image_format.h"
#include "platform/win32_handles.h"
#include "platform/win32_text.h"

namespace vexaframe {
namespace {

struct FileInMemory {
    OwnedGlobal memory;
    LONG size = 0;
};

struct Resolution {
    int x = 0;
    int y = 0;
};

constexpr std::int64_t kHimetricPerInch = 2540;
constexpr int kUsualDotsPerInch = 96;
constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFF;

bool ReadAll(HANDLE file, std::byte* target, std::size_t count) {
    while (count > 0) {
        DWORD read = 0;
        const auto chunk =
            static_cast<DWORD>(std::min<std::size_t>(count, std::numeric_limits<DWORD>::max()));
        if (!ReadFile(file, target, chunk, &read, nullptr) || read == 0) return false;
        target += read;
        count -= read;
    }
    return true;
}

// The whole file in movable global memory, which a stream can take over. The loader counts
// bytes in a LONG, so larger files are refused.
std::optional<FileInMemory> ReadIntoGlobalMemory(const std::string& utf8Path) {
    const OwnedFile file =
        TakeFile(CreateFileW(WideFromUtf8(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > std::numeric_limits<LONG>::max()) {
        return std::nullopt;
    }
    const auto bytes = static_cast<std::size_t>(size.QuadPart);
    OwnedGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return std::nullopt;
    {
        const LockedGlobal target(memory.get());
        if (!target || !ReadAll(file.get(), static_cast<std::byte*>(target.get()), bytes))
            return std::nullopt;
    }
    return FileInMemory{std::move(memory), static_cast<LONG>(bytes)};
}

// Only a file whose header declares a picture within our limits may reach the system's
// decoders: some crash or run out of memory on a forged size.
std::optional<PictureHeader> ReadHeader(const FileInMemory& file) {
    const LockedGlobal bytes(file.memory.get());
    if (!bytes) return std::nullopt;
    const auto* data = static_cast<const char*>(bytes.get());
    return ReadPictureHeader(std::string_view(data, static_cast<std::size_t>(file.size)));
}

ComOwned<IPicture> LoadOlePicture(FileInMemory file) {
    IStream* opened = nullptr;
    if (FAILED(CreateStreamOnHGlobal(file.memory.get(), TRUE, &opened))) return nullptr;
    file.memory.release();  // the stream frees it now
    const ComOwned<IStream> stream(opened);
    IPicture* loaded = nullptr;
    // Not in run mode: under Wine a picture loaded in run mode keeps memory after its release.
    const HRESULT result = OleLoadPicture(stream.get(), file.size, FALSE, IID_IPicture,
                                          reinterpret_cast<void**>(&loaded));
    ComOwned<IPicture> picture(loaded);
    if (FAILED(result)) return nullptr;
    return picture;
}

std::optional<PixelSize> WithinLimits(std::int64_t width, std::int64_t height) {
    if (!bmp::IsWithinLimits(width, height)) return std::nullopt;
    return PixelSize{static_cast<int>(width), static_cast<int>(height)};
}

// OLE passes GDI handles as 32-bit numbers; 64-bit Windows sign-extends them.
HGDIOBJ GdiHandle(OLE_HANDLE handle) {
    return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
}

// The bitmap's own size: its HIMETRIC size is rounded and need not give the pixels back.
std::optional<PixelSize> BitmapSize(IPicture& picture) {
    OLE_HANDLE handle = 0;
    if (FAILED(picture.get_Handle(&handle))) return std::nullopt;
    BITMAP bitmap{};
    if (GetObjectW(GdiHandle(handle), sizeof bitmap, &bitmap) != sizeof bitmap) return std::nullopt;
    return WithinLimits(bitmap.bmWidth, bitmap.bmHeight);
}

// 96 where the screen does not tell.
int DotsPerInch(HDC screen, int axis) {
    const int dots = screen == nullptr ? 0 : GetDeviceCaps(screen, axis);
    return dots > 0 ? dots : kUsualDotsPerInch;
}

Resolution ScreenResolution() {
    const WindowDC screen(nullptr);
    return {DotsPerInch(screen.get(), LOGPIXELSX), DotsPerInch(screen.get(), LOGPIXELSY)};
}

std::int64_t PixelsFromHimetric(std::int64_t length, int dotsPerInch) {
    return (length * dotsPerInch + kHimetricPerInch / 2) / kHimetricPerInch;
}

// A metafile has no pixels of its own: its nominal size on the screen.
std::optional<PixelSize> NominalSize(IPicture& picture) {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(picture.get_Width(&width)) || FAILED(picture.get_Height(&height))) {
        return std::nullopt;
    }
    const Resolution dots = ScreenResolution();
    return WithinLimits(PixelsFromHimetric(width, dots.x), PixelsFromHimetric(height, dots.y));
}

std::optional<PixelSize> PictureSize(IPicture& picture) {
    SHORT type = PICTYPE_NONE;
    if (FAILED(picture.get_Type(&type))) return std::nullopt;
    switch (type) {
        case PICTYPE_BITMAP:
            return BitmapSize(picture);
        case PICTYPE_METAFILE:
        case PICTYPE_ENHMETAFILE:
            return NominalSize(picture);
        default:
            return std::nullopt;  // icons and empty pictures
    }
}

std::optional<Image> Render(IPicture& picture, PixelSize size) {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(picture.get_Width(&width)) || FAILED(picture.get_Height(&height))) {
        return std::nullopt;
    }
    const OwnedMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return std::nullopt;
    const BITMAPINFO info = ImageFormat(size.width, size.height);
    void* bits = nullptr;
    const OwnedBitmap target(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!target || bits == nullptr) return std::nullopt;

    const auto count = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    auto* const pixels = static_cast<std::uint32_t*>(bits);
    // What transparent parts and the areas a metafile leaves undrawn show.
    std::fill_n(pixels, count, kOpaqueWhite);
    const Selection selected(dc.get(), target.get());
    // The source rectangle in HIMETRIC runs from the picture's top: the whole picture.
    if (FAILED(picture.Render(dc.get(), 0, 0, size.width, size.height, 0, height, width, -height,
                              nullptr))) {
        return std::nullopt;
    }
    GdiFlush();

    // GDI leaves the alpha bytes of what it draws at 0.
    Image image(size.width, size.height);
    std::transform(pixels, pixels + count, image.pixels.begin(),
                   [](std::uint32_t pixel) { return pixel | kOpaque; });
    return image;
}

// COM for the calls on this thread, whose apartment the caller may have entered already.
class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (entered_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_;
};

}  // namespace

std::optional<Image> LoadPicture(const std::string& utf8Path) {
    // The system's decoders are reached through COM.
    const ComApartment com;
    std::optional<FileInMemory> file = ReadIntoGlobalMemory(utf8Path);
    if (!file) return std::nullopt;
    const std::optional<PictureHeader> header = ReadHeader(*file);
    if (!header) return std::nullopt;
    const ComOwned<IPicture> picture = LoadOlePicture(std::move(*file));
    if (!picture) return std::nullopt;
    const std::optional<PixelSize> size = PictureSize(*picture);
    if (!size) return std::nullopt;
    std::optional<Image> image = Render(*picture, *size);
    if (!image) return std::nullopt;
    return TurnUpright(std::move(*image), header->orientation);  // set for JPEG pictures only
}

}  // namespace vexaframe
