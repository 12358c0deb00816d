// The embedded default machine: the files a new machine folder starts with.
#pragma once

#include <string_view>

namespace brontar::machine {

std::string_view DefaultMachineIni();
std::string_view DefaultRegistryFile();
std::string_view DefaultAutoexecBat();

}  // namespace brontar::machine
