// Stands in for the picture decoder in its tests: it crashes, hangs or gives no picture when
// the picture's name says so, and otherwise decodes as the real decoder does. Started as
// "decoder_stub start <picture> <bitmap>", it is a program that starts a decoder.

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "pictures/picture_decoder.h"
#include "platform/process.h"

int main() {
    using namespace vexaframe;
    const std::vector<std::string> arguments = ThisProcessArguments();
    if (arguments.size() == 4 && arguments[1] == "start") {
        const ProcessPictureDecoder decoder;
        return static_cast<int>(decoder.DecodeToBitmapFile(arguments[2], {arguments[3], {}}, {}));
    }
    if (arguments.size() < 3) return 9;
    const std::string& picture = arguments[1];
    if (picture.find("crash") != std::string::npos) {
        EndQuietlyOnCrash();
        *static_cast<volatile int*>(nullptr) = 1;
    }
    if (picture.find("hang") != std::string::npos) {
        std::ofstream(arguments[2] + ".pid") << ThisProcessId();  // for the test to find it
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
    return RunPictureDecoderIfAsked(*MakeSystemFileSystem()).value_or(9);
}
