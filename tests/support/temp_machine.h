// A throwaway machine folder for one test: BRONTAR_MACHINE points at a fresh
// temporary folder while the object lives.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace brontar::testing {

class TempMachine {
public:
    TempMachine() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brontar-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        if (const char* old = ::getenv("BRONTAR_MACHINE")) previous_ = old;
        ::setenv("BRONTAR_MACHINE", folder().c_str(), 1);
    }
    ~TempMachine() {
        if (previous_)
            ::setenv("BRONTAR_MACHINE", previous_->c_str(), 1);
        else
            ::unsetenv("BRONTAR_MACHINE");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempMachine(const TempMachine&) = delete;
    TempMachine& operator=(const TempMachine&) = delete;

    // The machine folder itself (created on first use by the code under test).
    std::filesystem::path folder() const { return root_ / "machine"; }
    // A scratch folder beside the machine, removed with it.
    std::filesystem::path scratch() const { return root_; }
    std::filesystem::path driveC() const { return folder() / "drives" / "c"; }

private:
    std::filesystem::path root_;
    std::optional<std::string> previous_;
};

// A text's lines in sorted order: the same registry file holds the same
// lines, whatever order its writes left them in.
inline std::string SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (const std::string& line : lines) sorted += line + "\n";
    return sorted;
}

inline std::string ReadFileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFileText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

}  // namespace brontar::testing
