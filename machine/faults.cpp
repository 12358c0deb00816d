#include "machine/faults.h"

#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "machine/plain_text.h"

namespace brontar::machine {

namespace {

struct FaultRule {
    uint64_t firstCall = 1;  // 1-based call number that fails first
    bool onlyOnce = false;   // NAME@N: that call alone
    bool everyCall = false;  // NAME: all calls
};

struct FaultTable {
    std::map<std::string, std::vector<FaultRule>, std::less<>> rules;  // by lower-case name
    std::map<std::string, uint64_t, std::less<>> calls;
};

FaultTable ParseFaults(std::string_view text) {
    FaultTable table;
    while (!text.empty()) {
        const size_t end = text.find(';');
        std::string_view item = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        item = Trim(item);
        if (item.empty()) continue;
        FaultRule rule;
        const size_t at = item.find('@');
        std::string name = AsciiLower(item.substr(0, at));
        if (at == std::string_view::npos) {
            rule.everyCall = true;
        } else {
            std::string_view count = item.substr(at + 1);
            rule.onlyOnce = count.empty() || count.back() != '+';
            if (!rule.onlyOnce) count.remove_suffix(1);
            auto [ptr, error] = std::from_chars(count.data(), count.data() + count.size(), rule.firstCall);
            if (error != std::errc() || ptr != count.data() + count.size() || rule.firstCall == 0) continue;
        }
        table.rules[name].push_back(rule);
    }
    return table;
}

std::mutex faultMutex;
bool faultsLoaded = false;
FaultTable faultTable;

void LoadFaultsLocked() {
    const char* text = std::getenv("BRONTAR_FAULTS");
    faultTable = ParseFaults(text ? text : "");
    faultsLoaded = true;
}

}  // namespace

bool FaultRequested(std::string_view operation) {
    std::lock_guard lock(faultMutex);
    if (!faultsLoaded) LoadFaultsLocked();
    if (faultTable.rules.empty()) return false;
    const std::string name = AsciiLower(operation);
    const uint64_t call = ++faultTable.calls[name];
    auto found = faultTable.rules.find(name);
    if (found == faultTable.rules.end()) return false;
    for (const FaultRule& rule : found->second) {
        if (rule.everyCall) return true;
        if (rule.onlyOnce ? call == rule.firstCall : call >= rule.firstCall) return true;
    }
    return false;
}

void StopIfRequested(std::string_view operation) {
    if (FaultRequested(operation)) ::kill(::getpid(), SIGKILL);
}

void ResetFaults() {
    std::lock_guard lock(faultMutex);
    LoadFaultsLocked();
}

}  // namespace brontar::machine
