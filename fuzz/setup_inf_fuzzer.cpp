// Setup INF files on any bytes: the general INF reader, then reading the
// install and uninstall sections and applying their registry lines to a
// scratch registry, either refuse the file by InfError or give a registry
// the machine can hold.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "machine/inf/inf_install.h"
#include "machine/inf/inf_registry.h"
#include "machine/registry/registry_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace inf = brontar::machine::inf;
    namespace reg = brontar::machine::registry;
    try {
        const inf::InfFile file = inf::InfFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size),
                                                      {{10, "C:\\WINDOWS"}, {11, "C:\\WINDOWS\\SYSTEM"}});
        for (const std::string_view name : {"DefaultInstall", "DefaultUninstall"}) {
            try {
                const inf::InfInstallSection section = inf::ReadInstallSection(file, name);
                reg::RegistryTree tree;
                // A root is one name (HKLM), as the installer takes it.
                for (const inf::InfLine& line : section.addReg)
                    if (const auto root = reg::SplitKeyPath(line.fields[0]);
                        root && line.fields[0].find('\\') == std::string::npos)
                        inf::ApplyAddRegLine(line, tree.CreateKey(*root));
                for (const inf::InfLine& line : section.delReg)
                    if (reg::RegistryKey* root = tree.FindKey(line.fields[0])) inf::ApplyDelRegLine(line, *root);
            } catch (const inf::InfError&) {
            }
        }
    } catch (const inf::InfError&) {
    }
    return 0;
}
