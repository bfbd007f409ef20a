#pragma once
// The device the native program is asked to draw with, from its command line.

namespace vexaframe {

enum class DevicePreference {
    Automatic,  // OpenGL where a graphics processor draws it, else the software device
    OpenGl,     // OpenGL whatever draws it, the software device only where it cannot be made
    Software,   // the software device even where OpenGL would draw
};

}  // namespace vexaframe
