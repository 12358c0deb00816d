// Runs the installed test screen headless in a throwaway machine and reads
// back its exit status, its log and the frames it presented.
#pragma once

#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "machine/installer.h"
#include "tests/support/temp_machine.h"

extern char** environ;

namespace brontar::testing {

namespace fs = std::filesystem;

struct Pixel {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// A presented frame decoded from its PNG file.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    Pixel At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

inline Frame ReadFrame(const fs::path& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    Frame frame;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << "cannot read " << path;
        return frame;
    }
    image.format = PNG_FORMAT_RGB;
    frame.width = static_cast<int>(image.width);
    frame.height = static_cast<int>(image.height);
    frame.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, frame.rgb.data(), 0, nullptr)) {
        ADD_FAILURE() << "cannot decode " << path;
        frame = Frame();
    }
    return frame;
}

struct RunResult {
    int status = -1;  // exit status, or -1 when the program did not exit by itself
    std::string log;  // the BRONTAR_LOG lines
    std::string err;  // what it wrote to standard error
    std::vector<fs::path> frames;  // captured frames in order

    Frame FrameAt(size_t index) const { return ReadFrame(frames.at(index)); }
    bool Logged(const std::string& line) const { return log.find(line + "\n") != std::string::npos; }
};

// A machine set up by the installer, in which the test screen runs.
class TestScreenMachine {
public:
    TestScreenMachine() {
        std::ostringstream progress;
        machine::InstallMachine(machine_.folder(), BRONTAR_BIN_DIR, progress);
    }

    fs::path WindowsFolder() const { return machine_.driveC() / "WINDOWS"; }
    fs::path MachineIni() const { return machine_.folder() / "machine.ini"; }

    // Stores a REG_DWORD under the settings key.
    void StoreDword(const char* name, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Corvane Interactive\\Halcyon Graphics", &key),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // The board's gamma for all three channels, stored as the bits of a float.
    void StoreGammas(float gamma) {
        DWORD bits;
        std::memcpy(&bits, &gamma, sizeof bits);
        for (const char* name : {"HGI_GAMMAR", "HGI_GAMMAG", "HGI_GAMMAB"}) StoreDword(name, bits);
    }

    // Runs C:\WINDOWS\BRNTRTST.EXE with the arguments, the input script and
    // the faults, headless; gives up after the timeout. The environment given
    // is set over these (an empty BRONTAR_LOG: no log, so its lines go to
    // standard error).
    RunResult Run(const std::vector<std::string>& arguments, const std::string& input, const std::string& faults = "",
                  std::chrono::seconds timeout = std::chrono::seconds(30),
                  const std::map<std::string, std::string>& environment = {}) {
        const fs::path capture = machine_.scratch() / ("capture-" + std::to_string(++runs_));
        const fs::path log = machine_.scratch() / ("log-" + std::to_string(runs_));
        const fs::path err = machine_.scratch() / ("err-" + std::to_string(runs_));
        fs::create_directories(capture);
        std::map<std::string, std::string> overrides{
            {"BRONTAR_MACHINE", machine_.folder().string()},
            {"BRONTAR_DISPLAY", "headless"},
            {"BRONTAR_CAPTURE", capture.string()},
            {"BRONTAR_INPUT", input},
            {"BRONTAR_LOG", log.string()},
            {"BRONTAR_FAULTS", faults},
        };
        for (const auto& [name, value] : environment) overrides[name] = value;
        RunResult result;
        result.status = Spawn((WindowsFolder() / "BRNTRTST.EXE").string(), arguments, overrides, err, timeout);
        result.log = ReadFileText(log);
        result.err = ReadFileText(err);
        for (int i = 1; fs::exists(capture / FrameName(i)); ++i) result.frames.push_back(capture / FrameName(i));
        return result;
    }

private:
    static std::string FrameName(int i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06d.png", i);
        return name;
    }

    static int Spawn(const std::string& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& overrides, const fs::path& err,
                     std::chrono::seconds timeout) {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (!overrides.contains(text.substr(0, text.find('=')))) environment.push_back(text);
        }
        for (const auto& [name, value] : overrides) environment.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (std::string& text : environment) envp.push_back(text.data());
        envp.push_back(nullptr);
        std::vector<std::string> args{program};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& text : args) argv.push_back(text.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (started != 0) {
            ADD_FAILURE() << "cannot start " << program;
            return -1;
        }
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                ADD_FAILURE() << program << " did not end within the timeout";
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempMachine machine_;
    int runs_ = 0;
};

}  // namespace brontar::testing
