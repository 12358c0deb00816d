// Started by the process tests: writes what it was given to the file named by
// TEST_CHILD_REPORT, sleeps TEST_CHILD_SLEEP_MS, waits (a minute at most)
// until the file TEST_CHILD_WAIT_FOR exists, exits with TEST_CHILD_EXIT.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
    const char* report = std::getenv("TEST_CHILD_REPORT");
    if (report != nullptr) {
        std::ofstream out(report, std::ios::binary);
        const char* commandLine = std::getenv("BRONTAR_COMMAND_LINE");
        out << "command line=" << (commandLine ? commandLine : "(none)") << '\n';
        for (int i = 0; i < argc; ++i) out << "argv=" << argv[i] << '\n';
        char directory[4096];
        out << "directory=" << (::getcwd(directory, sizeof directory) ? directory : "?") << '\n';
        const char* inherited = std::getenv("TEST_CHILD_INHERITED");
        out << "inherited=" << (inherited ? inherited : "(none)") << '\n';
    }
    if (const char* sleep = std::getenv("TEST_CHILD_SLEEP_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(sleep)));
    if (const char* release = std::getenv("TEST_CHILD_WAIT_FOR")) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!std::filesystem::exists(release) && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const char* exitCode = std::getenv("TEST_CHILD_EXIT");
    return exitCode ? std::atoi(exitCode) : 0;
}
