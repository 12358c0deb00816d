// brontar-rc: compiles a resource script into a .res image and into C++
// source that carries the image as data of the module it is linked into.
#include <fstream>
#include <iostream>
#include <string>

#include "tools/rc/resource_script.h"
#include "tools/rc/resource_writer.h"

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage: brontar-rc SCRIPT.rc [--res FILE.res] [--source FILE.cpp]\n"
           "Compiles a resource script (UTF-8) into a 32-bit .res image and/or C++ source\n"
           "whose exported function BrontarResources hands the image to the platform.\n";
}

// Writes bytes aside, then renames over the target, so a failed run leaves
// the previous output whole.
bool WriteOutput(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string script, resPath, sourcePath;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(std::cout);
            return 0;
        }
        if ((arg == "--res" || arg == "--source") && i + 1 < argc) {
            (arg == "--res" ? resPath : sourcePath) = argv[++i];
        } else if (script.empty() && !arg.starts_with("--")) {
            script = arg;
        } else {
            PrintUsage(std::cerr);
            return 2;
        }
    }
    if (script.empty() || (resPath.empty() && sourcePath.empty())) {
        PrintUsage(std::cerr);
        return 2;
    }
    try {
        const auto image = brontar::rc::EncodeResources(brontar::rc::ParseResourceScript(script));
        if (!resPath.empty() && !WriteOutput(resPath, std::string(image.begin(), image.end()))) {
            std::cerr << "brontar-rc: cannot write " << resPath << '\n';
            return 1;
        }
        if (!sourcePath.empty() && !WriteOutput(sourcePath, brontar::rc::EmitResourceSource(image, script))) {
            std::cerr << "brontar-rc: cannot write " << sourcePath << '\n';
            return 1;
        }
    } catch (const brontar::rc::ScriptError& error) {
        std::cerr << "brontar-rc: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
