// The subcommands of `brontar`.
#pragma once

#include <string>
#include <vector>

namespace brontar::tools {

using Arguments = std::vector<std::string>;

// Each returns the process exit status; errors go to standard error.
int RunSetupCommand(const Arguments& args);
int RunPanelCommand(const Arguments& args);
int RunRegCommand(const Arguments& args);
int RunRegeditCommand(const Arguments& args);
int RunTestCommand(const Arguments& args);
int RunMonitorCommand(const Arguments& args);

// The folder holding the brontar executable and the other build outputs.
std::string ExecutableFolder();

}  // namespace brontar::tools
