// Any settings file: the settings read from it are saved and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>

#include "settings/catalogue.h"
#include "settings/settings.h"
#include "support/ascii_code_page.h"
#include "support/fake_file_system.h"

using namespace vexaframe;

namespace {

const std::string kIni = "C:\\Saver\\Vexaframe.ini";
const SettingsLocation kLocation{kIni, kIni, "C:\\Saver\\Vexaframe.bmp"};

auto Fields(const Settings& s) {
    return std::tie(s.OrderMode, s.IntervalSeconds, s.TransparencyMode, s.KindEnabled,
                    s.ImageFolder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FakeFileSystem files;
    files.AddFolder("C:\\Saver");
    files.AddFile("C:\\Pictures\\a.jpg");
    files.AddFile("C:\\Pictures\\b.bmp");
    files.AddFile(kIni, std::string_view(reinterpret_cast<const char*>(data), size));
    const AsciiCodePage codePage;

    Settings first;
    Catalogue catalogue;
    ReadSettings(files, codePage, kLocation, first);
    BuildCatalogueOfSettings(files, first, catalogue);
    if (!SaveSettings(files, codePage, kLocation, first)) std::abort();

    Settings again;
    Catalogue catalogueAgain;
    ReadSettings(files, codePage, kLocation, again);
    BuildCatalogueOfSettings(files, again, catalogueAgain);
    if (Fields(again) != Fields(first)) std::abort();
    if (catalogueAgain.ImageCount != catalogue.ImageCount) std::abort();
    return 0;
}
