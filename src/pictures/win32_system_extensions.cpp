#include "pictures/win32_system_extensions.h"

#include <windows.h>
// windows.h first: these need its types.
#include <mfapi.h>
#include <mftransform.h>
#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "pictures/picture_header.h"
#include "pictures/win32_imaging_factory.h"
#include "platform/win32_handles.h"
#include "platform/win32_text.h"

namespace vexaframe {
namespace {

// A HEIF file's boxes that declare its kind lie well within this.
constexpr DWORD kHeaderBytes = 1 << 20;

std::optional<PictureKind> KindOf(const std::string& utf8Path) {
    const OwnedFile file =
        TakeFile(CreateFileW(WideFromUtf8(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes(kHeaderBytes, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), kHeaderBytes, &read, nullptr)) return std::nullopt;
    bytes.resize(read);
    const std::optional<PictureHeader> header = ReadPictureHeader(bytes);
    if (!header) return std::nullopt;
    return header->kind;
}

bool HasImageDecoder(const GUID& container) {
    const ComOwned<IWICImagingFactory> factory = CreateImagingFactory();
    if (!factory) return false;
    IWICBitmapDecoder* decoder = nullptr;
    const bool found = SUCCEEDED(factory->CreateDecoder(container, nullptr, &decoder));
    const ComOwned<IWICBitmapDecoder> ownedDecoder(decoder);
    return found;
}

bool HasVideoDecoder(const GUID& format) {
    const MFT_REGISTER_TYPE_INFO input{MFMediaType_Video, format};
    IMFActivate** found = nullptr;
    UINT32 count = 0;
    if (FAILED(MFTEnumEx(MFT_CATEGORY_VIDEO_DECODER, MFT_ENUM_FLAG_ALL, &input, nullptr, &found,
                         &count)))
        return false;
    for (UINT32 i = 0; i < count; ++i) found[i]->Release();
    CoTaskMemFree(found);
    return count > 0;
}

std::vector<SystemExtension> ExtensionsOfKind(PictureKind kind) {
    switch (kind) {
        case PictureKind::Heif:
            return {SystemExtension::HeifImages, SystemExtension::HevcVideo};
        case PictureKind::Avif:
            return {SystemExtension::HeifImages, SystemExtension::Av1Video};
        case PictureKind::Webp:
            return {SystemExtension::WebpImages};
        default:
            return {};  // decoded by Windows itself
    }
}

bool IsInstalled(SystemExtension extension) {
    switch (extension) {
        case SystemExtension::HeifImages:
            return HasImageDecoder(GUID_ContainerFormatHeif);
        case SystemExtension::HevcVideo:
            return HasVideoDecoder(MFVideoFormat_HEVC);
        case SystemExtension::Av1Video:
            return HasVideoDecoder(MFVideoFormat_AV1);
        case SystemExtension::WebpImages:
            return HasImageDecoder(GUID_ContainerFormatWebp);
    }
    return false;
}

}  // namespace

std::vector<SystemExtension> MissingSystemExtensions(const std::string& utf8Path) {
    const std::optional<PictureKind> kind = KindOf(utf8Path);
    if (!kind) return {};
    const ComApartment com;  // the image decoders are looked up through COM
    std::vector<SystemExtension> missing = ExtensionsOfKind(*kind);
    std::erase_if(missing, IsInstalled);
    return missing;
}

}  // namespace vexaframe
