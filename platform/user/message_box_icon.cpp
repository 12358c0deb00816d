// The message box icons, each a shape test per pixel: the pixel's centre is
// looked up in the icon's shapes (sign over body over outline over shadow)
// and runs of one colour are filled a row at a time. Shapes are in pixels of
// the 32 x 32 cell, with the body's centre at 15.5 so it is symmetric.
#include "platform/user/message_box_icon.h"

#include <array>
#include <cmath>

namespace brontar::platform {
namespace {

// The colours of the icons, from the 16-colour palette; kNone leaves the
// pixel as it is.
enum Colour : int { kNone, kBlack, kShadow, kWhite, kRed, kDarkRed, kYellow, kBlue, kColourCount };

constexpr std::array<COLORREF, kColourCount> kColours = {
    0, RGB(0, 0, 0), RGB(128, 128, 128), RGB(255, 255, 255), RGB(255, 0, 0), RGB(128, 0, 0), RGB(255, 255, 0), RGB(0, 0, 255),
};

constexpr double kCentre = 15.5;  // the body's centre, across and down
constexpr double kShadowOffset = 2;  // the shadow lies this far right and down

using Shape = bool (*)(double x, double y);

// On the shape's edge: inside it, with a neighbour a pixel away outside.
bool OnEdge(Shape inside, double x, double y) {
    return inside(x, y) && !(inside(x - 1, y) && inside(x + 1, y) && inside(x, y - 1) && inside(x, y + 1));
}

// The body's colour at a pixel centre: its edge in `edge`, inside in `fill`,
// its shadow beside it; kNone outside all three.
Colour BodyAt(Shape inside, double x, double y, Colour fill, Colour edge) {
    if (OnEdge(inside, x, y)) return edge;
    if (inside(x, y)) return fill;
    if (inside(x - kShadowOffset, y - kShadowOffset)) return kShadow;
    return kNone;
}

bool InDisc(double x, double y) { return std::hypot(x - kCentre, y - kCentre) <= 14.5; }

// Stop: a red disc with a white X across its middle.
Colour StopAt(double x, double y) {
    const double dx = std::fabs(x - kCentre), dy = std::fabs(y - kCentre);
    if (dx <= 7.5 && dy <= 7.5 && std::fabs(dx - dy) <= 1.9) return kWhite;
    return BodyAt(InDisc, x, y, kRed, kDarkRed);
}

// A triangle standing on its base: apex at the top middle, base on row 29.
bool InTriangle(double x, double y) { return y >= 1 && y <= 29.5 && std::fabs(x - kCentre) <= (y - 1) * 0.53 + 0.5; }

// A bar of the signs: three pixels wide down the middle, from top to bottom.
bool InBar(double x, double y, double top, double bottom) {
    return std::fabs(x - kCentre) <= 1.6 && y >= top && y <= bottom;
}

// Exclamation: a yellow triangle edged in black, a black ! in it.
Colour ExclamationAt(double x, double y) {
    if (InBar(x, y, 9, 21) || InBar(x, y, 23, 26)) return kBlack;
    return BodyAt(InTriangle, x, y, kYellow, kBlack);
}

// A speech balloon: an ellipse over the upper cell with a tail to the lower
// left.
bool InBalloon(double x, double y) {
    const double ex = (x - kCentre) / 14.5, ey = (y - 13.5) / 12.5;
    if (ex * ex + ey * ey <= 1) return true;
    // The tail: the triangle (7, 22), (14, 24), (3, 30.5), by the side of each edge.
    auto side = [&](double ax, double ay, double bx, double by) { return (bx - ax) * (y - ay) - (by - ay) * (x - ax); };
    const double a = side(7, 22, 14, 24), b = side(14, 24, 3, 30.5), c = side(3, 30.5, 7, 22);
    return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
}

// Information: a white balloon, a blue i in it (dot, stem with its serifs).
Colour InformationAt(double x, double y) {
    const bool dot = std::hypot(x - kCentre, y - 6.5) <= 2.1;
    const bool topSerif = y >= 10.5 && y <= 12 && x >= 12.5 && x <= kCentre + 1.6;
    const bool foot = y >= 19 && y <= 20.5 && std::fabs(x - kCentre) <= 3.6;
    if (dot || InBar(x, y, 10.5, 20.5) || topSerif || foot) return kBlue;
    return BodyAt(InBalloon, x, y, kWhite, kBlack);
}

// Question: a white balloon, a blue ? in it: a hook round from the left over
// the top and down the right, a short stem under its end, and the dot.
Colour QuestionAt(double x, double y) {
    const double dx = x - kCentre, dy = y - 9.5;
    const double radius = std::hypot(dx, dy);
    const bool hook = radius >= 3.0 && radius <= 6.2 && !(dx < 0 && dy > 0) && !(dx < 2 && dy > 3);
    if (hook || InBar(x, y, 14, 18.5) || InBar(x, y, 20.5, 23.5)) return kBlue;
    return BodyAt(InBalloon, x, y, kWhite, kBlack);
}

}  // namespace

void DrawMessageBoxIcon(HDC dc, UINT iconStyle, POINT at) {
    Colour (*colourAt)(double, double) = nullptr;
    switch (iconStyle & MB_ICONMASK) {
        case MB_ICONHAND: colourAt = StopAt; break;
        case MB_ICONEXCLAMATION: colourAt = ExclamationAt; break;
        case MB_ICONASTERISK: colourAt = InformationAt; break;
        case MB_ICONQUESTION: colourAt = QuestionAt; break;
        default: return;
    }
    std::array<HBRUSH, kColourCount> brushes{};
    for (int y = 0; y < kMessageBoxIconSize; ++y) {
        int x = 0;
        while (x < kMessageBoxIconSize) {
            const Colour colour = colourAt(x + 0.5, y + 0.5);
            int end = x + 1;
            while (end < kMessageBoxIconSize && colourAt(end + 0.5, y + 0.5) == colour) ++end;
            if (colour != kNone) {
                if (brushes[colour] == nullptr) brushes[colour] = CreateSolidBrush(kColours[colour]);
                const RECT run{at.x + x, at.y + y, at.x + end, at.y + y + 1};
                FillRect(dc, &run, brushes[colour]);
            }
            x = end;
        }
    }
    for (HBRUSH brush : brushes)
        if (brush != nullptr) DeleteObject(brush);
}

}  // namespace brontar::platform
