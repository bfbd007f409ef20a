// Stands in for the picture decoder in its tests: it crashes, hangs or gives no picture when
// the picture's name says so, and otherwise decodes as the real decoder does.

#include <windows.h>

#include <cwchar>
#include <optional>

#include "pictures/win32_picture_decoder.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 9;
    const wchar_t* picture = argv[1];
    if (std::wcsstr(picture, L"crash") != nullptr) {
        vexaframe::EndQuietlyOnCrash();
        *static_cast<volatile int*>(nullptr) = 1;
    }
    if (std::wcsstr(picture, L"hang") != nullptr) Sleep(INFINITE);
    return vexaframe::RunPictureDecoderIfAsked().value_or(9);
}
