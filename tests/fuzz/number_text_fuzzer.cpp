// Any text read as a number, in the settings file or on the command line: a bounded value that
// takes part of the text, and every 16-bit value read back from its own spelling.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/number_text.h"

using namespace vexaframe;

namespace {

// Long numbers are held at 2^40 before rounding, which may add one.
constexpr std::int64_t kLargestMagnitude = (std::int64_t{1} << 40) + 1;

void CheckLeadingNumber(const std::string& text, Rounding rounding) {
    const std::optional<LeadingNumber> number = ReadLeadingNumber(text, rounding);
    if (!number) return;
    if (number->length == 0 || number->length > text.size()) std::abort();
    if (number->value > kLargestMagnitude || number->value < -kLargestMagnitude) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto value = input.ConsumeIntegral<std::int16_t>();
    const std::string text = input.ConsumeRemainingBytesAsString();

    for (Rounding rounding : {Rounding::Floor, Rounding::HalfToEven}) {
        CheckLeadingNumber(text, rounding);
        NumberFromText(text, rounding);
        if (NumberFromText(NumberText(value), rounding) != value) std::abort();
    }
    return 0;
}
