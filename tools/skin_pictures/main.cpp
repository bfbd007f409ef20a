// Draws the settings dialog's skin into the folder given, for the resource compiler.

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "skin.h"

namespace {

namespace fs = std::filesystem;

bool WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) std::fprintf(stderr, "skin_pictures: cannot write %s\n", path.string().c_str());
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_pictures <folder>\n");
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    bool written = true;
    for (const auto& file : vexaframe::skin::DrawSkin())
        written = WriteFile(folder / file.name, file.bytes) && written;
    return written ? 0 : 1;
}
