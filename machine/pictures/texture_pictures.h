// The six pictures on the test screen's cube, painted by the installer: a
// castle, the board's logo, a robot, a vault, a desert and a racing car.
#pragma once

#include <string>
#include <vector>

#include "machine/pictures/picture_canvas.h"

namespace brontar::machine {

struct TexturePicture {
    const char* fileName;  // in the Windows directory
    int bitsPerPixel;      // depth of the file written
    Canvas (*paint)();
};

// In the order of the cube's faces.
const std::vector<TexturePicture>& TexturePictures();

}  // namespace brontar::machine
