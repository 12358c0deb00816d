// Finding font files without fontconfig: the folders the Debian packages use,
// then a recursive walk of the font roots. Answers are cached per file name.
#include "platform/gdi/font_files.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

namespace brontar::platform {
namespace {

namespace fs = std::filesystem;

struct SearchState {
    std::mutex mutex;
    std::vector<std::string> roots;  // empty: the system folders
    std::map<std::string, std::string> found;
};

SearchState& State() {
    static SearchState state;
    return state;
}

// The folders searched, most likely first; the walk covers the rest.
std::vector<std::string> SystemRoots() {
    std::vector<std::string> roots = {"/usr/share/fonts/truetype/liberation",
                                      "/usr/share/fonts/truetype/liberation2", "/usr/share/fonts",
                                      "/usr/local/share/fonts"};
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        roots.push_back(std::string(home) + "/.local/share/fonts");
        roots.push_back(std::string(home) + "/.fonts");
    }
    return roots;
}

// The file directly inside the folder, or anywhere below it.
std::string SearchUnder(const fs::path& root, const std::string& fileName) {
    std::error_code error;
    if (fs::is_regular_file(root / fileName, error)) return (root / fileName).string();
    fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (walk->path().filename() == fileName && walk->is_regular_file(error)) return walk->path().string();
    }
    return {};
}

}  // namespace

std::string FontFileName(FontFamily family, bool bold, bool italic) {
    const char* familyName = family == FontFamily::Serif ? "Serif" : family == FontFamily::Mono ? "Mono" : "Sans";
    const char* style = bold && italic ? "BoldItalic" : bold ? "Bold" : italic ? "Italic" : "Regular";
    return std::string("Liberation") + familyName + "-" + style + ".ttf";
}

std::string FindFontFile(const std::string& fileName) {
    SearchState& state = State();
    std::lock_guard lock(state.mutex);
    if (auto it = state.found.find(fileName); it != state.found.end()) return it->second;
    std::string path;
    for (const std::string& root : state.roots.empty() ? SystemRoots() : state.roots) {
        path = SearchUnder(root, fileName);
        if (!path.empty()) break;
    }
    state.found[fileName] = path;
    return path;
}

void SetFontSearchRootsForTesting(const std::vector<std::string>& roots) {
    SearchState& state = State();
    std::lock_guard lock(state.mutex);
    state.roots = roots;
    state.found.clear();
}

}  // namespace brontar::platform
