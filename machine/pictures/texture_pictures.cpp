#include "machine/pictures/texture_pictures.h"

#include <cmath>

namespace brontar::machine {

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{220, 30, 30};
constexpr Rgb kYellow{255, 255, 0};

// Stone towers and walls under a blue sky, a flag on the left tower.
Canvas PaintCastle() {
    Canvas canvas(128, 128, kBlack);
    canvas.VerticalGradient(0, 104, {70, 130, 220}, {180, 215, 250});
    canvas.FillRect(0, 104, 128, 128, {60, 150, 50});
    const Rgb stone{150, 150, 150};
    const Rgb darkStone{100, 100, 105};
    canvas.FillRect(30, 60, 98, 108, stone);                          // curtain wall
    for (int x = 30; x < 98; x += 12) canvas.FillRect(x, 52, x + 7, 60, stone);
    for (int tower : {12, 94}) {
        canvas.FillRect(tower, 34, tower + 22, 108, darkStone);
        for (int x = tower; x < tower + 22; x += 8) canvas.FillRect(x, 26, x + 5, 34, darkStone);
        canvas.FillRect(tower + 8, 50, tower + 14, 62, kBlack);      // arrow slit
    }
    canvas.FillRect(54, 80, 74, 108, {70, 40, 20});                   // gate
    canvas.FillCircle(64, 80, 10, {70, 40, 20});
    canvas.FillRect(22, 6, 24, 26, {60, 60, 60});                     // flag pole
    canvas.FillPolygon({{24, 6}, {42, 11}, {24, 16}}, kRed);
    return canvas;
}

// The board's logo: an orange ring round yellow block letters on pure black,
// so the colour key lets the scene show through everywhere else.
Canvas PaintLogo() {
    Canvas canvas(128, 128, kBlack);
    canvas.FillRing(64, 64, 60, 44, {255, 128, 0});
    // "B"
    canvas.FillRect(30, 49, 35, 79, kYellow);
    canvas.FillRect(30, 49, 44, 53, kYellow);
    canvas.FillRect(30, 62, 44, 66, kYellow);
    canvas.FillRect(30, 75, 44, 79, kYellow);
    canvas.FillRect(42, 51, 47, 63, kYellow);
    canvas.FillRect(42, 65, 47, 77, kYellow);
    // "3"
    canvas.FillRect(54, 49, 70, 53, kYellow);
    canvas.FillRect(57, 62, 70, 66, kYellow);
    canvas.FillRect(54, 75, 70, 79, kYellow);
    canvas.FillRect(66, 49, 71, 79, kYellow);
    // "D"
    canvas.FillRect(78, 49, 83, 79, kYellow);
    canvas.FillRect(78, 49, 92, 53, kYellow);
    canvas.FillRect(78, 75, 92, 79, kYellow);
    canvas.FillRect(92, 53, 97, 75, kYellow);
    return canvas;
}

// A friendly robot: antenna, round eyes, a panel of lights, arms and legs.
Canvas PaintRobot() {
    Canvas canvas(128, 128, {40, 120, 130});
    const Rgb metal{180, 185, 195};
    const Rgb darkMetal{110, 115, 125};
    canvas.DrawLine({64, 8}, {64, 22}, 3, darkMetal);                 // antenna
    canvas.FillCircle(64, 8, 5, kRed);
    canvas.FillRect(40, 20, 88, 54, metal);                           // head
    canvas.FillCircle(53, 34, 7, kWhite);
    canvas.FillCircle(75, 34, 7, kWhite);
    canvas.FillCircle(53, 34, 3, kBlack);
    canvas.FillCircle(75, 34, 3, kBlack);
    canvas.FillRect(50, 44, 78, 49, kRed);                            // mouth
    canvas.FillRect(58, 54, 70, 60, darkMetal);                       // neck
    canvas.FillRect(34, 60, 94, 100, metal);                          // body
    canvas.FillRect(44, 68, 84, 88, darkMetal);                       // panel
    canvas.FillCircle(52, 78, 4, kRed);
    canvas.FillCircle(64, 78, 4, kYellow);
    canvas.FillCircle(76, 78, 4, {40, 220, 60});
    canvas.FillRect(20, 62, 32, 96, darkMetal);                       // arms
    canvas.FillRect(96, 62, 108, 96, darkMetal);
    canvas.FillCircle(26, 100, 6, metal);
    canvas.FillCircle(102, 100, 6, metal);
    canvas.FillRect(42, 100, 56, 122, darkMetal);                     // legs
    canvas.FillRect(72, 100, 86, 122, darkMetal);
    canvas.FillRect(38, 118, 60, 126, metal);
    canvas.FillRect(68, 118, 90, 126, metal);
    return canvas;
}

// A round vault door with bolts and a spoked wheel, in sixteen colours.
Canvas PaintVault() {
    Canvas canvas(64, 64, {70, 60, 55});
    for (int y = 0; y < 64; y += 8) canvas.FillRect(0, y, 64, y + 1, {50, 42, 38});  // wall courses
    canvas.FillCircle(32, 32, 29, {90, 90, 95});                      // frame
    canvas.FillCircle(32, 32, 25, {170, 170, 175});                   // door
    for (int i = 0; i < 8; ++i) {
        const double angle = i * 3.14159265358979 / 4;
        canvas.FillCircle(32 + 21 * std::cos(angle), 32 + 21 * std::sin(angle), 2, {60, 60, 65});
    }
    for (int i = 0; i < 3; ++i) {
        const double angle = i * 3.14159265358979 / 3;
        const double dx = 13 * std::cos(angle);
        const double dy = 13 * std::sin(angle);
        canvas.DrawLine({32 - dx, 32 - dy}, {32 + dx, 32 + dy}, 2.5, {200, 170, 40});
    }
    canvas.FillCircle(32, 32, 5, {200, 170, 40});                     // hub
    canvas.FillCircle(32, 32, 2, {60, 60, 65});
    return canvas;
}

// Dunes under a hot sky, the sun low, a cactus in front.
Canvas PaintDesert() {
    Canvas canvas(256, 256, kBlack);
    canvas.VerticalGradient(0, 200, {250, 140, 60}, {255, 230, 160});
    canvas.FillCircle(180, 120, 30, {255, 250, 210});
    std::vector<Point> farDune{{0, 256}};
    std::vector<Point> nearDune{{0, 256}};
    for (int x = 0; x <= 256; x += 8) {
        farDune.push_back({static_cast<double>(x), 165 + 12 * std::sin(x / 40.0)});
        nearDune.push_back({static_cast<double>(x), 200 + 16 * std::sin(x / 30.0 + 2)});
    }
    farDune.push_back({256, 256});
    nearDune.push_back({256, 256});
    canvas.FillPolygon(farDune, {225, 175, 95});
    canvas.FillPolygon(nearDune, {240, 200, 120});
    const Rgb cactus{40, 130, 50};
    canvas.FillRect(60, 120, 74, 220, cactus);                        // trunk
    canvas.FillCircle(67, 120, 7, cactus);
    canvas.FillRect(40, 150, 60, 160, cactus);                        // left arm
    canvas.FillRect(40, 125, 50, 160, cactus);
    canvas.FillCircle(45, 125, 5, cactus);
    canvas.FillRect(74, 165, 92, 175, cactus);                        // right arm
    canvas.FillRect(84, 140, 94, 175, cactus);
    canvas.FillCircle(89, 140, 5, cactus);
    return canvas;
}

// A red racing car from the side on a grey track, number 7 on its flank.
Canvas PaintRacer() {
    Canvas canvas(128, 128, {130, 200, 240});
    canvas.FillRect(0, 70, 128, 128, {90, 90, 95});                   // track
    for (int x = 4; x < 128; x += 24) canvas.FillRect(x, 112, x + 14, 116, kWhite);
    const Rgb body{210, 20, 20};
    canvas.FillPolygon({{8, 88}, {16, 72}, {50, 68}, {62, 56}, {84, 56}, {96, 68}, {120, 74}, {122, 88}}, body);
    canvas.FillRect(6, 52, 22, 58, body);                             // rear wing
    canvas.FillRect(12, 58, 16, 72, {40, 40, 40});
    canvas.FillPolygon({{64, 58}, {82, 58}, {90, 67}, {60, 67}}, {40, 60, 90});  // cockpit
    canvas.FillCircle(72, 56, 6, kYellow);                            // helmet
    canvas.FillCircle(44, 78, 9, kWhite);                             // number disc
    canvas.FillRect(39, 72, 50, 75, kBlack);                          // the 7
    canvas.DrawLine({49, 74}, {43, 85}, 3, kBlack);
    for (int wheel : {28, 100}) {
        canvas.FillCircle(wheel, 90, 13, {25, 25, 25});
        canvas.FillCircle(wheel, 90, 5, {170, 170, 170});
    }
    return canvas;
}

}  // namespace

const std::vector<TexturePicture>& TexturePictures() {
    static const std::vector<TexturePicture> pictures{
        {"CASTLE.BMP", 24, PaintCastle}, {"BRNLOGO.BMP", 8, PaintLogo}, {"ROBOT2.BMP", 8, PaintRobot},
        {"VAULT1.BMP", 4, PaintVault},   {"DESERT.BMP", 24, PaintDesert}, {"RACER.BMP", 8, PaintRacer},
    };
    return pictures;
}

}  // namespace brontar::machine
