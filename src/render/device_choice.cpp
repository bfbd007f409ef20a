#include "render/device_choice.h"

#include <array>
#include <cctype>

namespace vexaframe {

namespace {

constexpr std::array<std::string_view, 4> kSoftwareRasterisers{"llvmpipe", "softpipe", "swrast",
                                                               "software rasterizer"};

bool IsWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// `word` in `text` with no letter or digit right before or after it.
bool ContainsWord(std::string_view text, std::string_view word) {
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !IsWordCharacter(text[at - 1])) &&
            (end == text.size() || !IsWordCharacter(text[end])))
            return true;
    }
    return false;
}

// The OpenGL device where the preference takes it for this renderer; otherwise, or where it
// cannot be made, nothing, and no context is left behind.
std::unique_ptr<RenderDevice> MakeOpenGlDevice(OpenGlDeviceMaker& openGl,
                                               DevicePreference preference) {
    const std::optional<std::string> renderer = openGl.CreateContext();
    if (!renderer) return nullptr;
    std::unique_ptr<RenderDevice> device;
    if (preference == DevicePreference::OpenGl || !IsSoftwareRasteriser(*renderer))
        device = openGl.CreateDevice();
    if (!device) openGl.ReleaseContext();
    return device;
}

}  // namespace

bool IsSoftwareRasteriser(std::string_view renderer) {
    std::string lower(renderer);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string_view name : kSoftwareRasterisers) {
        if (ContainsWord(lower, name)) return true;
    }
    return false;
}

// The reference device exists only where the developer kit is installed, so a hardware device
// that cannot be made falls back to it and then to drawing on the processor.
DeviceChoice ChooseRenderDevice(Direct3DDeviceMaker& direct3d,
                                const SoftwareDeviceMaker& makeSoftwareDevice) {
    if (!direct3d.CreateRootObject()) return {nullptr, kRootObjectError};
    if (!direct3d.CreateDirect3DObject()) return {nullptr, kDirect3DObjectError};
    std::unique_ptr<RenderDevice> device;
    if (direct3d.HardwareDrawsInDisplayFormat())
        device = direct3d.CreateDevice(Direct3DDeviceType::Hardware);
    if (!device) device = direct3d.CreateDevice(Direct3DDeviceType::Reference);
    if (!device && makeSoftwareDevice) device = makeSoftwareDevice();
    return {std::move(device), {}};
}

DeviceChoice ChooseRenderDevice(OpenGlDeviceMaker& openGl,
                                const SoftwareDeviceMaker& makeSoftwareDevice,
                                DevicePreference preference) {
    std::unique_ptr<RenderDevice> device;
    if (preference != DevicePreference::Software) device = MakeOpenGlDevice(openGl, preference);
    if (!device) device = makeSoftwareDevice();
    return {std::move(device), {}};
}

}  // namespace vexaframe
