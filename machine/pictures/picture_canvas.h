// A small RGB canvas with the shapes the installer's texture pictures are
// painted from, and the encoder that writes a canvas as a Windows bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brontar::machine {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct Point {
    double x = 0;
    double y = 0;
};

// Pixels row by row from the top; shapes are clipped to the canvas.
class Canvas {
public:
    Canvas(int width, int height, Rgb background);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    void Set(int x, int y, Rgb color);

    // The rectangle from (left, top) up to, not including, (right, bottom).
    void FillRect(int left, int top, int right, int bottom, Rgb color);
    // Pixels whose centres lie within the radius.
    void FillCircle(double centerX, double centerY, double radius, Rgb color);
    void FillRing(double centerX, double centerY, double outerRadius, double innerRadius, Rgb color);
    void FillEllipse(double centerX, double centerY, double radiusX, double radiusY, Rgb color);
    // Pixels whose centres lie inside the polygon (even-odd rule).
    void FillPolygon(const std::vector<Point>& corners, Rgb color);
    // A straight stroke of the given width between two points.
    void DrawLine(Point from, Point to, double width, Rgb color);
    // Rows from top to bottom blend from one colour to the other.
    void VerticalGradient(int top, int bottom, Rgb from, Rgb to);

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// The canvas as a bottom-up BMP file of 4, 8 or 24 bits per pixel. The 4- and
// 8-bit files carry a palette of the canvas's colours, which must number at
// most 16 or 256. Throws std::invalid_argument otherwise.
std::string EncodeBitmapFile(const Canvas& canvas, int bitsPerPixel);

}  // namespace brontar::machine
