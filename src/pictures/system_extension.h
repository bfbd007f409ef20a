#pragma once
// The codecs a Windows user adds to the system (from the Microsoft Store) for the picture kinds
// Windows does not decode out of the box.

namespace vexaframe {

enum class SystemExtension {
    HeifImages,  // the HEIF container, for HEIC and AVIF pictures
    HevcVideo,   // the HEVC codec inside HEIC pictures
    Av1Video,    // the AV1 codec inside AVIF pictures
    WebpImages,
};

}  // namespace vexaframe
