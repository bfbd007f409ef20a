#pragma once
// The device-independent bitmap layout of an Image: 32 bits a pixel, rows top-down.

#include <windows.h>

namespace vexaframe {

inline BITMAPINFO ImageFormat(int width, int height) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // a negative height: the first row is the top one
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    return format;
}

}  // namespace vexaframe
