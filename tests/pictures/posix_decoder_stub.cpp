// Stands in for the picture decoder in its tests: it crashes, hangs or gives no picture when
// the picture's name says so, and otherwise decodes as the real decoder does. Started as
// "posix_decoder_stub start <picture> <bitmap>", it is the program that starts a decoder.

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>

#include "pictures/posix_picture_decoder.h"

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "start") == 0) {
        const vexaframe::PictureDecoder decoder("/proc/self/exe");
        return static_cast<int>(decoder.DecodeToBitmapFile(argv[2], argv[3], {}));
    }
    if (argc != 3) return 9;
    const char* picture = argv[1];
    if (std::strstr(picture, "crash") != nullptr) *static_cast<volatile int*>(nullptr) = 1;
    if (std::strstr(picture, "hang") != nullptr) {
        std::ofstream(std::string(argv[2]) + ".pid") << getpid();  // for the test to find it
        while (true) pause();
    }
    return vexaframe::RunPictureDecoderIfAsked().value_or(9);
}
