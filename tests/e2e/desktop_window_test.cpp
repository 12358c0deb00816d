// The sheet and the test screen in real windows of an X server: what the
// window shows on the screen is, pixel for pixel, the picture the program
// captures, and the mouse and keys given through the X server do what the
// panel's script does.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "machine/display/png_file.h"
#include "platform/user/window_screenshot.h"
#include "tests/support/panel_dump.h"
#include "tests/support/temp_machine.h"

extern char** environ;

// Under the leak checker, what the display libraries keep for the life of
// this process (the test below opens a box here) is theirs, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libX11.so\nleak:libSDL2-2.0.so\nleak:libxcb.so\n";
}

namespace brontar::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool OnPath(const char* program) {
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Bin(const char* name) { return std::string(BRONTAR_BIN_DIR) + "/" + name; }

// Runs a shell command; its standard output.
std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, got);
        ::pclose(pipe);
    }
    return text;
}

// An X window dump (xwd's format: a big-endian header, the colour map, then
// the pixels) as 8-bit RGB.
machine::RgbPicture ReadXwd(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    machine::RgbPicture picture;
    auto word = [&](size_t index) -> uint32_t {
        const size_t at = index * 4;
        if (at + 4 > bytes.size()) return 0;
        return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) | (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
    };
    const uint32_t headerSize = word(0), width = word(4), height = word(5), byteOrder = word(7);
    const uint32_t bitsPerPixel = word(11), bytesPerLine = word(12);
    const uint32_t masks[3] = {word(14), word(15), word(16)};
    const uint32_t colours = word(19);
    const size_t start = headerSize + colours * 12;
    if (bitsPerPixel != 32 || width == 0 || start + size_t{bytesPerLine} * height > bytes.size()) return picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = &bytes[start + size_t{y} * bytesPerLine + size_t{x} * 4];
            const uint32_t pixel = byteOrder == 0 ? (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0])
                                                  : (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]);
            for (uint32_t mask : masks) {
                int shift = 0;
                while (mask != 0 && !((mask >> shift) & 1)) ++shift;
                picture.rgb.push_back(static_cast<uint8_t>((pixel & mask) >> shift));
            }
        }
    }
    return picture;
}

// Pixels that differ between two pictures of the same size (all of them when the sizes differ).
size_t DifferentPixels(const machine::RgbPicture& a, const machine::RgbPicture& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size())
        return static_cast<size_t>(std::max(a.width * a.height, 1));
    size_t different = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        if (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) ++different;
    return different;
}

class DesktopWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed (scripts/setup.sh test installs xvfb, xdotool, x11-apps)";
        ASSERT_TRUE(OnPath("xdotool") && OnPath("xwd")) << "Xvfb is here but xdotool or xwd is not (x11-apps)";
        // The server picks a free display itself and writes its number into the pipe.
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        std::string fd = std::to_string(pipe[1]);
        std::vector<std::string> arguments = {"Xvfb", "-displayfd", fd, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&server_, "Xvfb", nullptr, nullptr, argv.data(), environ) != 0) server_ = 0;
        ::close(pipe[1]);
        std::string number;
        char c;
        while (server_ != 0 && ::read(pipe[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(pipe[0]);
        if (number.empty()) Stop();
        display_ = ":" + number;
        ASSERT_NE(server_, 0) << "no X server could be started";
        ::setenv("DISPLAY", display_.c_str(), 1);
        ::unsetenv("BRONTAR_DISPLAY");
        ::unsetenv("BRONTAR_INPUT");
        ::unsetenv("BRONTAR_CHILD_INPUT");
        ::unsetenv("BRONTAR_CAPTURE");
        ::setenv("LANG", "en_US.UTF-8", 1);
        // Under the leak checker, what the system's display libraries keep
        // for the life of the process (the session bus, X) is theirs, not ours.
        const fs::path suppressions = machine_.scratch() / "display-libraries.supp";
        { std::ofstream(suppressions) << "leak:libdbus-1.so\nleak:libX11.so\nleak:libSDL2-2.0.so\nleak:libxcb.so\n"; }
        ::setenv("LSAN_OPTIONS", ("suppressions=" + suppressions.string()).c_str(), 1);
        ASSERT_EQ(std::system((Bin("brontar") + " setup >/dev/null").c_str()), 0);
    }
    void TearDown() override {
        if (program_ != 0) {
            ::kill(program_, SIGKILL);
            ::waitpid(program_, nullptr, 0);
        }
        Stop();
        ::unsetenv("DISPLAY");
        ::unsetenv("LSAN_OPTIONS");
    }
    void Stop() {
        if (server_ == 0) return;
        ::kill(server_, SIGTERM);
        ::waitpid(server_, nullptr, 0);
        server_ = 0;
    }

    // Starts a program in the background; the X window with this title once it is shown.
    std::string Launch(const std::vector<std::string>& command, const std::string& title) {
        std::vector<std::string> arguments = command;
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&program_, argv[0], nullptr, nullptr, argv.data(), environ), 0);
        std::string window = Output("timeout 10 xdotool search --sync --onlyvisible --name '" + title + "' 2>/dev/null | head -n 1");
        window.erase(window.find_last_not_of("\n") + 1);
        return window;
    }

    // True when the program ended within the time, with status 0.
    bool Ended(std::chrono::milliseconds within) {
        for (auto waited = 0ms; waited < within; waited += 50ms) {
            int status = 0;
            if (::waitpid(program_, &status, WNOHANG) == program_) {
                program_ = 0;
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            }
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    machine::RgbPicture Screenshot(const std::string& window) {
        const fs::path dump = machine_.scratch() / "window.xwd";
        EXPECT_EQ(std::system(("xwd -silent -id " + window + " > " + dump.string()).c_str()), 0);
        return ReadXwd(dump);
    }

    int X(const std::string& arguments) { return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()); }

    TempMachine machine_;
    std::string display_;
    pid_t server_ = 0;
    pid_t program_ = 0;
};

TEST_F(DesktopWindowTest, SheetShowsItsPictureAndTakesMouseAndKeysAsTheScriptDoes) {
    // The captured picture and the control rectangles, from a scripted run without the X server.
    const fs::path capture = machine_.scratch() / "capture";
    const fs::path script = machine_.scratch() / "look.script";
    { std::ofstream(script) << "dump\nshot\n"; }
    const std::string dump = Output("DISPLAY= BRONTAR_DISPLAY=headless BRONTAR_CAPTURE=" + capture.string() + " " +
                                    Bin("brontar") + " panel --script " + script.string());
    std::optional<machine::RgbPicture> captured = machine::ReadPngFile(capture / "window-000001.png");
    ASSERT_TRUE(captured.has_value()) << dump;
    const std::optional<DumpedRect> link = RectFromDump(dump, 1064);
    ASSERT_TRUE(link.has_value()) << dump;
    const int linkX = link->centreX();
    const int linkY = link->centreY();

    const std::string window = Launch({Bin("brontar"), "panel"}, "Display Properties");
    ASSERT_FALSE(window.empty()) << "the sheet's window did not show";
    std::this_thread::sleep_for(500ms);
    const machine::RgbPicture shown = Screenshot(window);
    EXPECT_EQ(shown.width, captured->width);
    EXPECT_EQ(shown.height, captured->height);
    EXPECT_EQ(DifferentPixels(shown, *captured), 0u);

    // Link the sliders with the mouse, step back a control with Shift+Tab, Enter for OK.
    ASSERT_EQ(X("mousemove --window " + window + " " + std::to_string(linkX) + " " + std::to_string(linkY) + " click 1"), 0);
    std::this_thread::sleep_for(200ms);
    ASSERT_EQ(X("key shift+Tab"), 0);
    ASSERT_EQ(X("key Return"), 0);
    EXPECT_TRUE(Ended(10s)) << "the sheet did not close on Enter";
    const std::string typed = SortedLines(ReadFileText(machine_.folder() / "registry.reg"));

    // The script's road on a fresh machine, after the same first look.
    TempMachine fresh;
    ASSERT_EQ(std::system((Bin("brontar") + " setup >/dev/null").c_str()), 0);
    for (const char* commands : {"dump\nshot\n", "click 1064\nok\n"}) {
        { std::ofstream(script) << commands; }
        ASSERT_EQ(std::system(("DISPLAY= BRONTAR_DISPLAY=headless " + Bin("brontar") + " panel --script " +
                               script.string() + " >/dev/null").c_str()),
                  0);
    }
    EXPECT_EQ(typed, SortedLines(ReadFileText(fresh.folder() / "registry.reg")));
    EXPECT_NE(typed.find("\"KSX_LOCKED\"=dword:00000001"), std::string::npos);
}

TEST_F(DesktopWindowTest, TestScreenWindowShowsTheCapturedFrame) {
    const fs::path capture = machine_.scratch() / "frames";
    ::setenv("BRONTAR_CAPTURE", capture.c_str(), 1);
    // R stops the animation after the first frame, so the window keeps one picture.
    ::setenv("BRONTAR_INPUT", "wait 1 frames; key r", 1);
    const std::string window = Launch({Bin("brntrtst"), "/640x480"}, "Brontar 3D");
    ::unsetenv("BRONTAR_INPUT");
    ::unsetenv("BRONTAR_CAPTURE");
    ASSERT_FALSE(window.empty()) << "the test screen's window did not show";
    // Wait until no new frame comes.
    size_t frames = 0;
    for (int settled = 0; settled < 6;) {
        std::this_thread::sleep_for(100ms);
        size_t now = 0;
        if (fs::exists(capture))
            for (const auto& entry : fs::directory_iterator(capture))
                if (entry.path().extension() == ".png" && entry.path().filename().string().starts_with("frame-")) ++now;
        settled = now == frames && now > 0 ? settled + 1 : 0;
        frames = now;
    }
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06zu.png", frames);
    std::optional<machine::RgbPicture> last = machine::ReadPngFile(capture / name);
    ASSERT_TRUE(last.has_value()) << name;
    const machine::RgbPicture shown = Screenshot(window);
    EXPECT_EQ(shown.width, 640);
    EXPECT_EQ(DifferentPixels(shown, *last), 0u);
    X("mousemove --window " + window + " 10 10 key q");
    EXPECT_TRUE(Ended(10s)) << "the test screen did not end on Q";
}

// The picture of the box this process has open, taken from a timer while the
// box waits for its answer; then the box is answered with OK.
machine::RgbPicture boxPicture;

void CALLBACK PhotographAndAnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND box = GetParent(GetFocus());  // the focus is on the box's button
    boxPicture = platform::CaptureWindowPicture(box).value_or(machine::RgbPicture{});
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// Pixels of one colour in the columns [left, right) and rows [top, bottom).
int CountColour(const machine::RgbPicture& picture, std::array<uint8_t, 3> rgb, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, picture.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, picture.width); ++x) {
            const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)) * 3;
            count += picture.rgb[i] == rgb[0] && picture.rgb[i + 1] == rgb[1] && picture.rgb[i + 2] == rgb[2];
        }
    return count;
}

// A box on the screen, without an owner (its frame and caption are its
// desktop window's): the icon's cell starts 7 dialog units in, at 11,11 with
// the 6 by 13 units of its font, and the text starts 10 units (15 pixels)
// after the icon's 32, at 58.
TEST_F(DesktopWindowTest, MessageBoxDrawsItsIconInTheCornerAndTheTextAfterIt) {
    constexpr int kIcon = 11, kText = 58;
    constexpr std::array<uint8_t, 3> kRed{255, 0, 0}, kWhite{255, 255, 255}, kYellow{255, 255, 0}, kBlack{0, 0, 0};
    struct Case {
        UINT style;
        const char* what;
    };
    for (const Case& c : {Case{MB_ICONERROR, "error"}, Case{MB_ICONEXCLAMATION, "warning"}}) {
        boxPicture = {};
        SetTimer(nullptr, 0, 300, PhotographAndAnswerBox);
        EXPECT_EQ(MessageBoxA(nullptr, "Forget the rates?", "WARNING :", MB_OK | c.style), IDOK) << c.what;
        ASSERT_GT(boxPicture.width, kText) << c.what;
        const machine::RgbPicture& box = boxPicture;
        const int cellRight = kIcon + 32, cellBottom = kIcon + 32;
        if (c.style == MB_ICONERROR) {
            // The X's 81 pixels, the disc's red (about 660 less rim and X).
            EXPECT_EQ(CountColour(box, kWhite, kIcon, kIcon, cellRight, cellBottom), 81);
            const int red = CountColour(box, kRed, kIcon, kIcon, cellRight, cellBottom);
            EXPECT_GT(red, 440);
            EXPECT_LT(red, 520);
            EXPECT_EQ(CountColour(box, kRed, 0, 0, box.width, box.height), red);  // none outside the cell
        } else {
            // The mark: columns 14 to 16 of the cell, rows 9 to 20 and 23 to 25.
            EXPECT_EQ(CountColour(box, kBlack, kIcon + 14, kIcon + 9, kIcon + 17, kIcon + 26), 45);
            const int yellow = CountColour(box, kYellow, kIcon, kIcon, cellRight, cellBottom);
            EXPECT_GT(yellow, 250);
            EXPECT_EQ(CountColour(box, kYellow, 0, 0, box.width, box.height), yellow);
        }
        // Between the cell and the text nothing is drawn; the text is black after it.
        EXPECT_EQ(CountColour(box, kBlack, cellRight, 0, kText, cellBottom), 0) << c.what;
        EXPECT_GT(CountColour(box, kBlack, kText, kIcon, kText + 40, cellBottom), 10) << c.what;
    }
}

}  // namespace
}  // namespace brontar::testing
