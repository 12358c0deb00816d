// The board's picture as the monitor shows it: gamma, a window or nothing
// (BRONTAR_DISPLAY), and the frame capture (BRONTAR_CAPTURE).
#pragma once

#include <cstdint>
#include <vector>

namespace brontar::machine {

// The board's gamma per channel; 1.0 leaves a channel as it is.
struct DisplayGamma {
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
};

// Shows one RGB565 frame of the board: widens it to 8 bits per channel by bit
// replication, applies out = 255 * (in / 255) ^ (1 / gamma) per channel,
// shows it in the display window (sized to the frame) and, when
// BRONTAR_CAPTURE names a folder, writes it there as frame-NNNNNN.png.
// Counts the frame whether or not anything shows it.
void PresentFrame(const uint16_t* pixels, int width, int height, int pitchBytes, const DisplayGamma& gamma);

// Frames presented since the process started.
uint64_t PresentedFrameCount();

// The board left exclusive mode: its window closes. A later PresentFrame
// opens it again.
void CloseDisplay();

// An 8-bit RGB picture.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * height * 3 bytes, rows without padding
};

// A copy of the last presented picture after gamma (empty before the first frame).
RgbPicture LastPresentedPicture();

}  // namespace brontar::machine
