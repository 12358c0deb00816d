// What the operations share when they read the registry and speak to the
// user: warnings about the file, key paths and value names as reg shows
// them, and the question before a change.
#include "tools/reg/operations.h"

#include <cctype>
#include <iostream>

namespace brontar::tools::reg {

const mr::RegistryTree& ReadTree(const mr::RegistrySnapshot& snapshot) {
    for (const mr::ParseProblem& problem : snapshot.content->problems)
        std::cerr << "warning: " << mr::DescribeProblem("registry.reg", problem) << '\n';
    return snapshot.content->tree;
}

std::string DisplayPath(const mr::RegistryTree& tree, const std::vector<std::string>& components) {
    std::string path;
    const mr::RegistryKey* key = &tree.Top();
    for (const std::string& name : components) {
        key = key != nullptr ? key->FindSubkey(name) : nullptr;
        if (!path.empty()) path += '\\';
        path += key != nullptr ? key->Name() : name;
    }
    return path;
}

bool Confirm(const std::string& question) {
    std::cout << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return !answer.empty() && std::tolower(static_cast<unsigned char>(answer[0])) == 'y';
}

std::string ShownName(const std::string& name) { return name.empty() ? "(Default)" : name; }

}  // namespace brontar::tools::reg
