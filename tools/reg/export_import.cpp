// brontar reg export and brontar reg import: .reg files.
#include "tools/reg/operations.h"

#include <iostream>

#include "machine/file_io.h"
#include "machine/machine_folder.h"

namespace brontar::tools::reg {

int Export(const Options& options) {
    const auto components = KeyComponents("export", options.positionals[0]);
    const std::filesystem::path file = FileArgument(options.positionals[1]);
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(machine::EnsureMachineFolder());
    const mr::RegistryTree& tree = ReadTree(snapshot);
    const mr::RegistryKey* key = tree.FindKey(components);
    if (key == nullptr) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    std::error_code ec;
    if (!options.force && std::filesystem::exists(file, ec) &&
        !Confirm("File " + file.string() + " already exists. Overwrite")) {
        std::cout << kCanceled << '\n';
        return 1;
    }
    machine::WriteFileAtomically(file, mr::ExportRegistryKey(*key, DisplayPath(tree, components)));
    std::cout << kCompleted << '\n';
    return 0;
}

// Reads a .reg file and applies it in one write of the registry; skipped lines
// are reported on standard error. Nothing when the file could not be opened
// or its header is not one the registry editor reads.
// A file that is there but refused (a folder, a FIFO, past the size limit)
// has its reason in refusal.
std::optional<mr::ImportOutcome> ImportFile(const std::string& file, std::string& refusal) {
    std::string bytes;
    try {
        const std::filesystem::path path = FileArgument(file);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return std::nullopt;
        bytes = machine::ReadInputFile(path);
    } catch (const machine::MachineError& error) {
        refusal = error.what();
        return std::nullopt;
    }
    const std::string text = mr::DecodeRegistryFileBytes(bytes);
    mr::ImportOutcome outcome;
    mr::EditRegistry(machine::EnsureMachineFolder(), [&](mr::RegistryTree& tree) {
        outcome = mr::ImportRegistryText(text, tree);
    });
    for (const mr::ParseProblem& problem : outcome.problems)
        std::cerr << (outcome.read ? "skipped: " : "") << mr::DescribeProblem(file, problem) << '\n';
    return outcome;
}

int Import(const Options& options) {
    const std::string& file = options.positionals[0];
    std::string refusal;
    const auto outcome = ImportFile(file, refusal);
    if (!outcome) {
        std::cerr << "ERROR: Error opening the file. There may be a disk or file system error.\n";
        if (!refusal.empty()) std::cerr << "ERROR: " << refusal << '\n';
        return 1;
    }
    if (!outcome->read) {
        std::cerr << "ERROR: Error accessing the registry.\n";
        return 1;
    }
    std::cout << kCompleted << '\n';
    return 0;
}

}  // namespace brontar::tools::reg
