// Processes: CreateProcessA and the calls on its handles.
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "machine/dos_path.h"
#include "platform/entry/command_line.h"
#include "platform/kernel/event_log.h"
#include "platform/kernel/process_table.h"
#include "platform/user/message_queue.h"

extern char** environ;

namespace {

using brontar::platform::ChildProcess;

// The creation flags a program may pass; anything else is reported as not
// implemented and otherwise ignored.
constexpr DWORD kKnownCreationFlags = DETACHED_PROCESS | CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS |
                                      IDLE_PRIORITY_CLASS | HIGH_PRIORITY_CLASS | CREATE_NEW_PROCESS_GROUP |
                                      CREATE_DEFAULT_ERROR_MODE;

// The command line's tokens as a program's argv: blanks separate, double
// quotes group.
std::vector<std::string> SplitCommandLine(std::string_view text) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i == text.size()) break;
        std::string token;
        bool quoted = false;
        for (; i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t')); ++i) {
            if (text[i] == '"')
                quoted = !quoted;
            else
                token += text[i];
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

// The command-line text after the program name, as WinMain receives it: the
// first token (quoted or not) and the blanks after it skipped.
std::string_view TextAfterProgramName(std::string_view commandLine) {
    size_t i = 0;
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    bool quoted = false;
    for (; i < commandLine.size() && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t')); ++i)
        if (commandLine[i] == '"') quoted = !quoted;
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    return commandLine.substr(i);
}

// "NAME=value" entries of the child: the given Windows environment block
// (strings ending in an empty one) or this process's environment, with the
// command-line text the child's entry hands to WinMain.
std::vector<std::string> ChildEnvironment(const char* block, std::string_view commandLine) {
    const std::string commandLineEntry = std::string(brontar::platform::kCommandLineVariable) + "=";
    std::vector<std::string> entries;
    if (block != nullptr) {
        for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) entries.emplace_back(entry);
    } else {
        for (char** entry = environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
    }
    std::erase_if(entries, [&](const std::string& entry) { return entry.starts_with(commandLineEntry); });
    entries.push_back(commandLineEntry + std::string(TextAfterProgramName(commandLine)));
    // BRONTAR_CHILD_INPUT, where set, is the children's BRONTAR_INPUT (the
    // parent plays its own, the test screen the page starts plays this one).
    if (const char* childInput = std::getenv("BRONTAR_CHILD_INPUT")) {
        std::erase_if(entries, [](const std::string& entry) {
            return entry.starts_with("BRONTAR_INPUT=") || entry.starts_with("BRONTAR_CHILD_INPUT=");
        });
        entries.push_back(std::string("BRONTAR_INPUT=") + childInput);
    }
    return entries;
}

// The Win32 error of a failed start.
DWORD StartError(int error) {
    switch (error) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM: return ERROR_ACCESS_DENIED;
        case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        default: return ERROR_INVALID_PARAMETER;
    }
}

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Maps a DOS path into the machine; sets the last error when it cannot.
std::optional<std::string> HostPathOf(const char* caller, std::string_view dosPath) {
    try {
        if (auto host = brontar::machine::MapDosPath(dosPath)) return host->string();
    } catch (const std::exception& error) {
        brontar::platform::WriteDiagnostic(std::string(caller) + ": " + error.what());
    }
    SetLastError(ERROR_PATH_NOT_FOUND);
    return std::nullopt;
}

// Waits until the child's pidfd is readable or the timeout passes. Without a
// pidfd that can be polled, sleeps at most 2 ms, so the caller looks again.
void WaitOnChild(int pidfd, std::chrono::milliseconds timeout) {
    if (pidfd >= 0) {
        pollfd entry{pidfd, POLLIN, 0};
        const int milliseconds = static_cast<int>(std::min<std::chrono::milliseconds::rep>(timeout.count(), INT_MAX));
        int result;
        do {
            result = ::poll(&entry, 1, milliseconds);
        } while (result < 0 && errno == EINTR);
        if (result >= 0) return;
    }
    std::this_thread::sleep_for(std::min(timeout, std::chrono::milliseconds(2)));
}

}  // namespace

extern "C" BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                                      LPSECURITY_ATTRIBUTES /*lpProcessAttributes*/,
                                      LPSECURITY_ATTRIBUTES /*lpThreadAttributes*/, BOOL /*bInheritHandles*/,
                                      DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                                      LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation) {
    if (lpStartupInfo == nullptr || lpProcessInformation == nullptr ||
        (lpApplicationName == nullptr && lpCommandLine == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if ((dwCreationFlags & ~kKnownCreationFlags) != 0) {
        brontar::platform::WriteDiagnostic("CreateProcessA: creation flags not implemented, ignored: " +
                                           std::to_string(dwCreationFlags & ~kKnownCreationFlags));
    }
    const std::string commandLine = lpCommandLine != nullptr ? lpCommandLine : lpApplicationName;
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    const std::string program = lpApplicationName != nullptr ? std::string(lpApplicationName)
                                                             : (arguments.empty() ? std::string() : arguments[0]);
    if (!brontar::machine::IsDosPath(program)) {
        brontar::platform::WriteDiagnostic("CreateProcessA: only programs named by a full DOS path can be started: " +
                                           program);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const auto hostProgram = HostPathOf("CreateProcessA", program);
    if (!hostProgram) return FALSE;
    struct stat info {};
    if (::stat(hostProgram->c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        SetLastError(S_ISDIR(info.st_mode) ? ERROR_ACCESS_DENIED : StartError(errno));
        return FALSE;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (lpCurrentDirectory != nullptr) {
        const auto hostDirectory = HostPathOf("CreateProcessA", lpCurrentDirectory);
        if (!hostDirectory) {
            posix_spawn_file_actions_destroy(&actions);
            return FALSE;
        }
        posix_spawn_file_actions_addchdir_np(&actions, hostDirectory->c_str());
    }
    if (arguments.empty()) arguments.push_back(program);
    std::vector<std::string> environment = ChildEnvironment(static_cast<const char*>(lpEnvironment), commandLine);
    std::vector<char*> argv = PointersTo(arguments);
    std::vector<char*> envp = PointersTo(environment);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, hostProgram->c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        SetLastError(StartError(error));
        return FALSE;
    }

    const auto handles = brontar::platform::RegisterChildProcess(pid);
    if (auto child = brontar::platform::FindChildProcess(handles.process))
        child->pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    lpProcessInformation->hProcess = handles.process;
    lpProcessInformation->hThread = handles.thread;
    lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
    return TRUE;
}

extern "C" BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    const std::shared_ptr<ChildProcess> child = brontar::platform::FindChildProcess(hProcess);
    if (child == nullptr || lpExitCode == nullptr) {
        SetLastError(child == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(child->mutex);
    *lpExitCode = brontar::platform::PollChildLocked(*child) ? child->exitCode : static_cast<DWORD>(STILL_ACTIVE);
    return TRUE;
}

extern "C" DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    const std::shared_ptr<ChildProcess> child = brontar::platform::FindChildProcess(hHandle);
    if (child == nullptr) {
        brontar::platform::WriteDiagnostic("WaitForSingleObject: only process and thread handles can be waited on");
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    // The timeout runs on the message clock, as the message loop's timers do,
    // so a test that moves that clock by hand decides when it passes.
    using std::chrono::milliseconds;
    const auto deadline = brontar::platform::MessageClockNow() + milliseconds(dwMilliseconds);
    for (;;) {
        {
            std::lock_guard lock(child->mutex);
            if (brontar::platform::PollChildLocked(*child)) return WAIT_OBJECT_0;
        }
        milliseconds left = milliseconds(INT_MAX);
        if (dwMilliseconds != INFINITE) {
            left = std::chrono::ceil<milliseconds>(deadline - brontar::platform::MessageClockNow());
            if (left.count() <= 0) return WAIT_TIMEOUT;
        }
        // A clock moved by hand does not wake the wait: look at it again soon.
        if (brontar::platform::MessageClockIsManual()) left = std::min(left, milliseconds(5));
        WaitOnChild(child->pidfd, left);
    }
}

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject) {
    if (brontar::platform::CloseChildHandle(hObject)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
