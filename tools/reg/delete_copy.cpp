// brontar reg delete and brontar reg copy.
#include "tools/reg/operations.h"

#include <iostream>

#include "machine/machine_folder.h"

namespace brontar::tools::reg {

namespace {

// The values (and with recurse the subkeys) of source go below destination;
// values the user chose to keep are left out.
struct CopyPlan {
    std::vector<std::string> path;  // below the destination
    std::vector<mr::RegistryValue> values;
    std::vector<CopyPlan> subkeys;
};

// Builds the plan from a snapshot, asking before each value that would be
// overwritten unless forced.
void PlanCopy(const mr::RegistryKey& source, const mr::RegistryKey* destination, bool recurse, bool force,
              CopyPlan& plan) {
    for (const mr::RegistryValue& value : source.Values()) {
        if (!force && destination != nullptr && destination->FindValue(value.name) != nullptr &&
            !Confirm("Value " + ShownName(value.name) + " exists, overwrite"))
            continue;
        plan.values.push_back(value);
    }
    if (!recurse) return;
    for (const auto& [folded, child] : source.Subkeys()) {
        CopyPlan& sub = plan.subkeys.emplace_back();
        sub.path = plan.path;
        sub.path.push_back(child->Name());
        PlanCopy(*child, destination != nullptr ? destination->FindSubkey(child->Name()) : nullptr, true, force, sub);
    }
}

void ApplyCopy(const CopyPlan& plan, const std::vector<std::string>& destination, mr::RegistryTree& tree) {
    std::vector<std::string> path = destination;
    path.insert(path.end(), plan.path.begin(), plan.path.end());
    mr::RegistryKey& key = tree.CreateKey(path);
    for (const mr::RegistryValue& value : plan.values) key.SetValue(value.name, value.type, value.data);
    for (const CopyPlan& sub : plan.subkeys) ApplyCopy(sub, destination, tree);
}

}  // namespace

int Delete(const Options& options) {
    const auto components = KeyComponents("delete", options.positionals[0]);
    const bool wholeKey = !options.valueName && !options.allValues;
    if (wholeKey && components.size() < 2) throw SyntaxError{"delete", kInvalidKey};  // a root stays
    const auto folder = machine::EnsureMachineFolder();
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder);
    const mr::RegistryKey* key = snapshot.content->tree.FindKey(components);
    if (key == nullptr || (options.valueName && key->FindValue(*options.valueName) == nullptr)) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    if (!options.force) {
        const std::string path = DisplayPath(snapshot.content->tree, components);
        const std::string question = wholeKey            ? "Permanently delete the registry key " + path
                                     : options.allValues ? "Delete all values under the registry key " + path
                                                         : "Delete the registry value " + ShownName(*options.valueName);
        if (!Confirm(question)) {
            std::cout << kCanceled << '\n';
            return 1;
        }
    }
    bool found = true;
    mr::EditRegistry(folder, [&](mr::RegistryTree& tree) {
        mr::RegistryKey* target = tree.FindKey(components);
        if (target == nullptr) {
            found = false;
        } else if (wholeKey) {
            found = tree.DeleteKey(components);
        } else if (options.allValues) {
            target->DeleteAllValues();
        } else {
            found = target->DeleteValue(*options.valueName);
        }
    });
    if (!found) {  // another process removed it meanwhile
        std::cerr << kNotFound << '\n';
        return 1;
    }
    std::cout << kCompleted << '\n';
    return 0;
}

int Copy(const Options& options) {
    const auto source = KeyComponents("copy", options.positionals[0]);
    const auto destination = KeyComponents("copy", options.positionals[1]);
    if (destination.size() < 2) throw SyntaxError{"copy", kInvalidKey};
    const auto folder = machine::EnsureMachineFolder();
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder);
    const mr::RegistryTree& tree = ReadTree(snapshot);
    const mr::RegistryKey* from = tree.FindKey(source);
    if (from == nullptr) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    if (tree.FindKey(destination) == from) {
        std::cerr << "ERROR: The source and destination keys cannot be the same.\n";
        return 1;
    }
    // Planned from the snapshot, so copying a key below itself ends.
    CopyPlan plan;
    PlanCopy(*from, tree.FindKey(destination), options.recurse, options.force, plan);
    mr::EditRegistry(folder, [&](mr::RegistryTree& edited) { ApplyCopy(plan, destination, edited); });
    std::cout << kCompleted << '\n';
    return 0;
}

}  // namespace brontar::tools::reg
