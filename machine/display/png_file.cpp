#include "machine/display/png_file.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace brontar::machine {

bool WritePngFile(const std::filesystem::path& path, const RgbPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() != static_cast<size_t>(picture.width) * picture.height * 3)
        return false;
    std::filesystem::path aside = path;
    aside += ".part";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, aside.c_str(), 0, picture.rgb.data(), picture.width * 3, nullptr)) {
        png_image_free(&image);
        std::error_code ignored;
        std::filesystem::remove(aside, ignored);
        return false;
    }
    std::error_code error;
    std::filesystem::rename(aside, path, error);
    if (error) std::filesystem::remove(aside, error);
    return !error;
}

std::optional<RgbPicture> ReadPngFile(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    // Larger pictures than any screen are refused before their memory is taken.
    constexpr png_uint_32 kLargestSide = 16384;
    if (image.width > kLargestSide || image.height > kLargestSide) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    RgbPicture picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return picture;
}

std::optional<std::filesystem::path> CaptureFolder() {
    const char* folder = std::getenv("BRONTAR_CAPTURE");
    if (folder == nullptr || *folder == '\0') return std::nullopt;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return std::filesystem::path(folder);
}

std::filesystem::path CaptureFilePath(const std::filesystem::path& folder, const char* prefix, uint64_t number) {
    char name[64];
    std::snprintf(name, sizeof name, "%s-%06llu.png", prefix, static_cast<unsigned long long>(number));
    return folder / name;
}

}  // namespace brontar::machine
