// Helpers of the system tests: environment variables set for one test, the
// event log, the machine's files.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "machine/machine_folder.h"
#include "tests/support/temp_machine.h"

namespace brontar::testing {

// Sets (or, with nullopt, removes) an environment variable until the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = ::getenv(name_.c_str())) previous_ = old;
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ~ScopedEnvironment() {
        if (previous_)
            ::setenv(name_.c_str(), previous_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// A machine with its default files, and BRONTAR_LOG in a scratch file.
class LoggedMachine : public TempMachine {
public:
    LoggedMachine() : log_("BRONTAR_LOG", (scratch() / "events.log").string()) {
        machine::EnsureMachineFolder();  // later DOS path lookups find it complete
    }
    std::filesystem::path logPath() const { return scratch() / "events.log"; }
    std::string log() const { return ReadFileText(logPath()); }
    std::filesystem::path windows() const { return driveC() / "WINDOWS"; }
    std::filesystem::path system() const { return driveC() / "WINDOWS" / "SYSTEM"; }
    // Adds lines to machine.ini (a later key wins over the default).
    void AppendMachineIni(const std::string& text) const {
        WriteFileText(folder() / "machine.ini", ReadFileText(folder() / "machine.ini") + "\n" + text);
    }

private:
    ScopedEnvironment log_;
};

}  // namespace brontar::testing
