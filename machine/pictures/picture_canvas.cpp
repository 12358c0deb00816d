#include "machine/pictures/picture_canvas.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

namespace brontar::machine {

Canvas::Canvas(int width, int height, Rgb background)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, background) {}

void Canvas::Set(int x, int y, Rgb color) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[static_cast<size_t>(y) * width_ + x] = color;
}

void Canvas::FillRect(int left, int top, int right, int bottom, Rgb color) {
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y)
        for (int x = std::max(left, 0); x < std::min(right, width_); ++x) Set(x, y, color);
}

void Canvas::FillEllipse(double centerX, double centerY, double radiusX, double radiusY, Rgb color) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double dx = (x + 0.5 - centerX) / radiusX;
            const double dy = (y + 0.5 - centerY) / radiusY;
            if (dx * dx + dy * dy <= 1.0) Set(x, y, color);
        }
    }
}

void Canvas::FillCircle(double centerX, double centerY, double radius, Rgb color) {
    FillEllipse(centerX, centerY, radius, radius, color);
}

void Canvas::FillRing(double centerX, double centerY, double outerRadius, double innerRadius, Rgb color) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double distance = std::hypot(x + 0.5 - centerX, y + 0.5 - centerY);
            if (distance <= outerRadius && distance >= innerRadius) Set(x, y, color);
        }
    }
}

void Canvas::FillPolygon(const std::vector<Point>& corners, Rgb color) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            bool inside = false;
            for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
                const Point& a = corners[i];
                const Point& b = corners[j];
                if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x) inside = !inside;
            }
            if (inside) Set(x, y, color);
        }
    }
}

void Canvas::DrawLine(Point from, Point to, double width, Rgb color) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) return;
    // The stroke is the rectangle around the segment, half the width each side.
    const double nx = -dy / length * width / 2;
    const double ny = dx / length * width / 2;
    FillPolygon({{from.x + nx, from.y + ny}, {to.x + nx, to.y + ny}, {to.x - nx, to.y - ny}, {from.x - nx, from.y - ny}},
                color);
}

void Canvas::VerticalGradient(int top, int bottom, Rgb from, Rgb to) {
    const auto blend = [](uint8_t a, uint8_t b, double t) {
        return static_cast<uint8_t>(std::lround(a + (b - a) * t));
    };
    for (int y = top; y < bottom; ++y) {
        const double t = bottom - top > 1 ? static_cast<double>(y - top) / (bottom - top - 1) : 0.0;
        FillRect(0, y, width_, y + 1,
                 {blend(from.red, to.red, t), blend(from.green, to.green, t), blend(from.blue, to.blue, t)});
    }
}

namespace {

void PutU16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// The canvas's colours in order of first appearance, at most maxColors.
std::vector<Rgb> CollectPalette(const Canvas& canvas, size_t maxColors) {
    std::vector<Rgb> palette;
    std::map<uint32_t, size_t> seen;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const Rgb c = canvas.At(x, y);
            const uint32_t key = (c.red << 16) | (c.green << 8) | c.blue;
            if (seen.emplace(key, palette.size()).second) palette.push_back(c);
        }
    }
    if (palette.size() > maxColors)
        throw std::invalid_argument("picture has " + std::to_string(palette.size()) + " colours, more than " +
                                    std::to_string(maxColors));
    return palette;
}

size_t PaletteIndex(const std::vector<Rgb>& palette, Rgb color) {
    return static_cast<size_t>(std::find(palette.begin(), palette.end(), color) - palette.begin());
}

}  // namespace

std::string EncodeBitmapFile(const Canvas& canvas, int bitsPerPixel) {
    if (bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24)
        throw std::invalid_argument("bitmap depth must be 4, 8 or 24");
    const std::vector<Rgb> palette =
        bitsPerPixel == 24 ? std::vector<Rgb>() : CollectPalette(canvas, size_t{1} << bitsPerPixel);
    const uint32_t width = static_cast<uint32_t>(canvas.width());
    const uint32_t height = static_cast<uint32_t>(canvas.height());
    const uint32_t stride = ((width * bitsPerPixel + 31) & ~31u) / 8;
    const uint32_t paletteBytes = static_cast<uint32_t>(palette.size()) * 4;
    const uint32_t pixelOffset = 14 + 40 + paletteBytes;

    std::string out;
    out += "BM";
    PutU32(out, pixelOffset + stride * height);
    PutU32(out, 0);
    PutU32(out, pixelOffset);
    PutU32(out, 40);
    PutU32(out, width);
    PutU32(out, height);
    PutU16(out, 1);
    PutU16(out, static_cast<uint32_t>(bitsPerPixel));
    PutU32(out, 0);  // uncompressed
    PutU32(out, stride * height);
    PutU32(out, 2835);  // 72 dots per inch
    PutU32(out, 2835);
    PutU32(out, static_cast<uint32_t>(palette.size()));
    PutU32(out, 0);
    for (const Rgb& c : palette) {
        out += static_cast<char>(c.blue);
        out += static_cast<char>(c.green);
        out += static_cast<char>(c.red);
        out += '\0';
    }
    // Rows from the bottom of the picture up, each padded to 4 bytes.
    for (int y = canvas.height() - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < canvas.width(); ++x) {
            const Rgb c = canvas.At(x, y);
            if (bitsPerPixel == 24) {
                row += static_cast<char>(c.blue);
                row += static_cast<char>(c.green);
                row += static_cast<char>(c.red);
            } else if (bitsPerPixel == 8) {
                row += static_cast<char>(PaletteIndex(palette, c));
            } else if (x % 2 == 0) {
                row += static_cast<char>(PaletteIndex(palette, c) << 4);
            } else {
                row.back() = static_cast<char>(row.back() | PaletteIndex(palette, c));
            }
        }
        row.resize(stride, '\0');
        out += row;
    }
    return out;
}

}  // namespace brontar::machine
