// Any settings file text: a value written into it is the value read back, and no other setting
// of the section changes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "settings/profile_file.h"
#include "settings/settings_keys.h"

using namespace vexaframe;
namespace keys = settings_keys;

namespace {

std::vector<std::string> SettingKeys() {
    std::vector<std::string> all = {std::string(keys::kOrderMode), std::string(keys::kInterval),
                                    std::string(keys::kTransparency),
                                    std::string(keys::kImageFolder)};
    for (int index = 0; index < 4; ++index) all.push_back(keys::KindKey(index));
    return all;
}

// A value the file keeps as it is: one line, no blanks or quotes at its ends, no NUL.
std::string PlainValue(std::string value) {
    std::erase_if(value, [](char c) {
        return c == '\r' || c == '\n' || c == '\0' || c == ' ' || c == '\t' || c == '\v' ||
               c == '\f' || c == '\x1a' || c == '"' || c == '\'';
    });
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::string> settingKeys = SettingKeys();
    FuzzedDataProvider input(data, size);
    const std::string anySection = input.ConsumeRandomLengthString(16);
    const std::string anyKey = input.ConsumeRandomLengthString(16);
    const std::size_t keyIndex =
        input.ConsumeIntegralInRange<std::size_t>(0, settingKeys.size() - 1);
    const std::string value = PlainValue(input.ConsumeRandomLengthString(64));
    const std::string text = input.ConsumeRemainingBytesAsString();

    FindProfileValue(text, anySection, anyKey);
    WithProfileValue(text, anySection, anyKey, value);

    const std::string& key = settingKeys[keyIndex];
    const std::string written = WithProfileValue(text, keys::kSection, key, value);
    if (FindProfileValue(written, keys::kSection, key) != value) std::abort();
    for (const std::string& other : settingKeys) {
        if (other != key && FindProfileValue(written, keys::kSection, other) !=
                                FindProfileValue(text, keys::kSection, other))
            std::abort();
    }
    return 0;
}
