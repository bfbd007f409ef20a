#include <windows.h>

#include "pictures/picture_loader.h"
// windows.h first: this needs its types.
#include <objbase.h>
#include <olectl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/exif_orientation.h"
#include "pictures/over_white.h"
#include "pictures/picture_header.h"
#include "pictures/win32_image_format.h"
#include "pictures/win32_imaging_factory.h"
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

// A picture the system's loader has taken, at the size it is drawn at.
struct LoadedPicture {
    ComOwned<IPicture> picture;
    PictureHeader header;
    PixelSize size;
};

// Only a file whose header declares a picture within our limits may reach the system's
// decoders: some crash or run out of memory on a forged size.
struct CheckedFile {
    FileInMemory file;
    PictureHeader header;
};

std::optional<CheckedFile> ReadCheckedFile(const std::string& utf8Path) {
    std::optional<FileInMemory> file = ReadIntoGlobalMemory(utf8Path);
    if (!file) return std::nullopt;
    const std::optional<PictureHeader> header = ReadHeader(*file);
    if (!header) return std::nullopt;
    return CheckedFile{std::move(*file), *header};
}

std::optional<LoadedPicture> LoadOle(CheckedFile checked) {
    const PictureHeader header = checked.header;
    ComOwned<IPicture> picture = LoadOlePicture(std::move(checked.file));
    if (!picture) return std::nullopt;
    const std::optional<PixelSize> size = PictureSize(*picture);
    if (!size) return std::nullopt;
    return LoadedPicture{std::move(picture), header, *size};
}

// A bitmap picture's pixels read out of its bitmap a band at a time, as Render would draw them:
// only for a picture without transparent parts, which Render would draw on white.
class BitmapRows final : public BandedRows {
public:
    static std::unique_ptr<PictureRows> Open(std::unique_ptr<ComApartment> com,
                                             LoadedPicture& loaded) {
        SHORT type = PICTYPE_NONE;
        DWORD attributes = 0;
        OLE_HANDLE handle = 0;
        if (FAILED(loaded.picture->get_Type(&type)) || type != PICTYPE_BITMAP ||
            FAILED(loaded.picture->get_Attributes(&attributes)) ||
            (attributes & PICTURE_TRANSPARENT) != 0 || FAILED(loaded.picture->get_Handle(&handle)))
            return nullptr;
        auto rows = std::unique_ptr<BitmapRows>(new BitmapRows(std::move(com), loaded, handle));
        // Where the system will not hand the bitmap's rows out, the picture is drawn whole.
        if (!rows->dc_ || rows->Row(loaded.size.height - 1) == nullptr) return nullptr;
        return rows;
    }

private:
    BitmapRows(std::unique_ptr<ComApartment> com, LoadedPicture& loaded, OLE_HANDLE handle)
        : com_(std::move(com)),
          picture_(std::move(loaded.picture)),
          bitmap_(static_cast<HBITMAP>(GdiHandle(handle))),
          dc_(CreateCompatibleDC(nullptr)) {
        SetSize(loaded.size.width, loaded.size.height);
    }

    // In a bottom-up format, whose scan lines count from the picture's bottom row; then turned
    // top row first.
    bool ReadRows(int top, int count, std::uint32_t* out) override {
        BITMAPINFO format = ImageFormat(Width(), Height());
        format.bmiHeader.biHeight = Height();
        const int firstScan = Height() - top - count;
        if (GetDIBits(dc_.get(), bitmap_, static_cast<UINT>(firstScan), static_cast<UINT>(count),
                      out, &format, DIB_RGB_COLORS) != count)
            return false;
        const auto width = static_cast<std::size_t>(Width());
        for (int upper = 0, lower = count - 1; upper < lower; ++upper, --lower)
            std::swap_ranges(out + upper * width, out + (upper + 1) * width, out + lower * width);
        return true;
    }

    std::unique_ptr<ComApartment> com_;  // first: it outlives the picture
    ComOwned<IPicture> picture_;         // owns the bitmap
    HBITMAP bitmap_;
    OwnedMemoryDC dc_;
};

// The kinds that only the system's imaging component reads, each where the system has its codec
// (PNG always; WebP, HEIF and AVIF through the extensions a user installs). They may hold
// transparency, which shows white as in every other picture.
bool IsImagingComponentKind(PictureKind kind) {
    return kind == PictureKind::Png || kind == PictureKind::Webp || kind == PictureKind::Heif ||
           kind == PictureKind::Avif;
}

// A photograph decoded by the system's imaging component and handed out a band at a time, so
// that only the decoder's own buffer holds the whole picture: the picture loader would hold it
// three times over. The pixels are the stored ones, before any turn.
class ImagingRows final : public BandedRows {
public:
    // Takes the file where it decodes; leaves it otherwise.
    static std::unique_ptr<PictureRows> Open(std::unique_ptr<ComApartment> com, FileInMemory& file,
                                             PictureKind kind) {
        auto rows = std::unique_ptr<ImagingRows>(
            new ImagingRows(std::move(com), IsImagingComponentKind(kind)));
        if (!rows->Decode(file) || rows->Row(rows->Height() - 1) == nullptr) return nullptr;
        rows->file_ = std::move(file);  // the decoder reads it as it goes
        return rows;
    }

private:
    ImagingRows(std::unique_ptr<ComApartment> com, bool mayBeTranslucent)
        : com_(std::move(com)), mayBeTranslucent_(mayBeTranslucent) {}

    // The file stays the caller's: where this fails, the picture loader may still take it.
    bool Decode(const FileInMemory& file) {
        const ComOwned<IWICImagingFactory> factory = CreateImagingFactory();
        if (!factory) return false;
        IStream* opened = nullptr;
        if (FAILED(CreateStreamOnHGlobal(file.memory.get(), FALSE, &opened))) return false;
        const ComOwned<IStream> stream(opened);
        IWICBitmapDecoder* decoder = nullptr;
        IWICBitmapFrameDecode* frame = nullptr;
        IWICBitmapSource* converted = nullptr;
        UINT width = 0, height = 0;
        // Fails where the system has no codec for the kind: the picture gives nothing.
        if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                    WICDecodeMetadataCacheOnDemand, &decoder)))
            return false;
        const ComOwned<IWICBitmapDecoder> ownedDecoder(decoder);
        if (FAILED(decoder->GetFrame(0, &frame))) return false;
        const ComOwned<IWICBitmapFrameDecode> ownedFrame(frame);
        const WICPixelFormatGUID& format =
            mayBeTranslucent_ ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat32bppBGR;
        if (FAILED(frame->GetSize(&width, &height)) || !bmp::IsWithinLimits(width, height) ||
            FAILED(WICConvertBitmapSource(format, frame, &converted)))
            return false;
        source_.reset(converted);
        SetSize(static_cast<int>(width), static_cast<int>(height));
        return true;
    }

    // Without transparency the fourth byte of each pixel is undefined; the band makes it opaque.
    bool ReadRows(int top, int count, std::uint32_t* out) override {
        const WICRect area{0, top, Width(), count};
        const auto stride = static_cast<UINT>(Width()) * 4;
        if (FAILED(source_->CopyPixels(&area, stride, stride * static_cast<UINT>(count),
                                       reinterpret_cast<BYTE*>(out))))
            return false;
        if (mayBeTranslucent_)
            PutOverWhite(std::span(out, static_cast<std::size_t>(Width()) * count));
        return true;
    }

    std::unique_ptr<ComApartment> com_;  // first: it outlives the decoder
    FileInMemory file_;                  // and the file outlives it too
    ComOwned<IWICBitmapSource> source_;
    bool mayBeTranslucent_;
};

// The orientation left to apply to a decoded picture: the header's for the stored picture, none
// where a codec has turned it already (its sides swapped); nothing for a size the header did
// not declare.
std::optional<int> OrientationLeft(const PictureRows& rows, const PictureHeader& header) {
    const PixelSize decoded{rows.Width(), rows.Height()};
    if (decoded == header.size) return header.orientation;
    const bool swapsSides = header.orientation >= 5 && header.orientation <= 8;
    if (swapsSides && decoded == PixelSize{header.size.height, header.size.width}) return kUpright;
    return std::nullopt;
}

// A picture of a kind only the imaging component reads: its rows as decoded, and the
// orientation left to apply to them.
struct ImagingPicture {
    std::unique_ptr<PictureRows> rows;
    int orientation = kUpright;
};

std::optional<ImagingPicture> OpenImagingPicture(std::unique_ptr<ComApartment> com,
                                                 CheckedFile& checked) {
    std::unique_ptr<PictureRows> rows =
        ImagingRows::Open(std::move(com), checked.file, checked.header.kind);
    if (!rows) return std::nullopt;
    const std::optional<int> orientation = OrientationLeft(*rows, checked.header);
    if (!orientation) return std::nullopt;
    return ImagingPicture{std::move(rows), *orientation};
}

std::optional<Image> UprightWhole(ImagingPicture& opened) {
    std::optional<Image> stored = WholePicture(*opened.rows);
    if (!stored) return std::nullopt;
    return TurnUpright(std::move(*stored), opened.orientation);
}

// Held whole only where it must turn.
std::unique_ptr<PictureRows> OpenImagingComponentRows(std::unique_ptr<ComApartment> com,
                                                      CheckedFile& checked) {
    std::optional<ImagingPicture> opened = OpenImagingPicture(std::move(com), checked);
    if (!opened) return nullptr;
    if (opened->orientation == kUpright) return std::move(opened->rows);
    std::optional<Image> upright = UprightWhole(*opened);
    return upright ? RowsOf(std::move(*upright)) : nullptr;
}

}  // namespace

std::optional<Image> LoadPicture(const std::string& utf8Path) {
    // The system's decoders are reached through COM.
    auto com = std::make_unique<ComApartment>();
    std::optional<CheckedFile> checked = ReadCheckedFile(utf8Path);
    if (!checked) return std::nullopt;
    if (IsImagingComponentKind(checked->header.kind)) {
        std::optional<ImagingPicture> opened = OpenImagingPicture(std::move(com), *checked);
        return opened ? UprightWhole(*opened) : std::nullopt;
    }
    const std::optional<LoadedPicture> loaded = LoadOle(std::move(*checked));
    if (!loaded) return std::nullopt;
    std::optional<Image> image = Render(*loaded->picture, loaded->size);
    if (!image) return std::nullopt;
    return TurnUpright(std::move(*image), loaded->header.orientation);
}

std::unique_ptr<PictureRows> OpenPictureRows(const std::string& utf8Path) {
    auto com = std::make_unique<ComApartment>();
    std::optional<CheckedFile> checked = ReadCheckedFile(utf8Path);
    if (!checked) return nullptr;
    const PictureHeader header = checked->header;
    if (IsImagingComponentKind(header.kind))
        return OpenImagingComponentRows(std::move(com), *checked);
    if (header.kind == PictureKind::Jpeg && header.orientation == kUpright) {
        if (std::unique_ptr<PictureRows> rows =
                ImagingRows::Open(std::move(com), checked->file, header.kind))
            return rows;
        com = std::make_unique<ComApartment>();
    }
    std::optional<LoadedPicture> loaded = LoadOle(std::move(*checked));
    if (!loaded) return nullptr;
    if (header.orientation == kUpright) {
        if (std::unique_ptr<PictureRows> rows = BitmapRows::Open(std::move(com), *loaded))
            return rows;
    }
    std::optional<Image> image = Render(*loaded->picture, loaded->size);
    if (!image) return nullptr;
    return RowsOf(TurnUpright(std::move(*image), header.orientation));
}

}  // namespace vexaframe
