// brontar-bitmaps FOLDER: writes the six texture bitmaps of the test screen
// (CASTLE.BMP, BRNLOGO.BMP, ...) into FOLDER, which is created when missing.
// Each file is written aside and renamed, so a failed run leaves no half file.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "machine/pictures/texture_pictures.h"

namespace fs = std::filesystem;

namespace {

bool WriteAside(const fs::path& path, const std::string& content) {
    const fs::path aside = path.string() + ".new";
    {
        std::ofstream out(aside, std::ios::binary | std::ios::trunc);
        out.write(content.data(), std::streamsize(content.size()));
        if (!out.flush()) return false;
    }
    std::error_code ec;
    fs::rename(aside, path, ec);
    return !ec;
}

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kUsage =
        "usage: brontar-bitmaps FOLDER\n\n"
        "Writes the test screen's six texture bitmaps into FOLDER.\n";
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 2) {
        std::cerr << kUsage;
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        std::cerr << "brontar-bitmaps: cannot create " << folder.string() << ": " << ec.message() << '\n';
        return 1;
    }
    for (const brontar::machine::TexturePicture& picture : brontar::machine::TexturePictures()) {
        const fs::path path = folder / picture.fileName;
        if (!WriteAside(path, brontar::machine::EncodeBitmapFile(picture.paint(), picture.bitsPerPixel))) {
            std::cerr << "brontar-bitmaps: cannot write " << path.string() << '\n';
            return 1;
        }
    }
    return 0;
}
