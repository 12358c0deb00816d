// How often each call of the board initialisation library was made in a
// machine folder, across processes, so a test can tell whether the board was
// probed.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace brontar::machine {

// Adds one call of the named function to the count in the machine folder.
void CountHgi1InitCall(const std::filesystem::path& machineFolder, std::string_view function);

// The counts by function name; a function never called is absent.
std::map<std::string, long long> ReadHgi1InitCalls(const std::filesystem::path& machineFolder);

std::filesystem::path Hgi1InitCallsPath(const std::filesystem::path& machineFolder);

}  // namespace brontar::machine
