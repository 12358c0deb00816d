#include "platform/kernel/process_table.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

std::mutex tableMutex;
std::map<uintptr_t, std::shared_ptr<ChildProcess>> openHandles;
// Handle values are multiples of 4 from here on, like kernel handles, and
// never collide with null or INVALID_HANDLE_VALUE.
uintptr_t nextHandleValue = 0x100;

// The Win32 exit code of a reaped child. An exit status keeps its low 8 bits
// (exit(-1) reads as 255); a child ended by a signal reads as 128 + signal.
uint32_t ExitCodeOf(int status) {
    if (WIFEXITED(status)) return static_cast<uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return 128u + static_cast<uint32_t>(WTERMSIG(status));
    return 0;
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (pidfd >= 0) ::close(pidfd);
}

ProcessHandles RegisterChildProcess(pid_t pid) {
    auto child = std::make_shared<ChildProcess>();
    child->pid = pid;
    std::lock_guard lock(tableMutex);
    const uintptr_t process = nextHandleValue;
    const uintptr_t thread = nextHandleValue + 4;
    nextHandleValue += 8;
    openHandles[process] = child;
    openHandles[thread] = child;
    return {reinterpret_cast<void*>(process), reinterpret_cast<void*>(thread)};
}

std::shared_ptr<ChildProcess> FindChildProcess(void* handle) {
    std::lock_guard lock(tableMutex);
    auto found = openHandles.find(reinterpret_cast<uintptr_t>(handle));
    return found == openHandles.end() ? nullptr : found->second;
}

bool CloseChildHandle(void* handle) {
    std::lock_guard lock(tableMutex);
    return openHandles.erase(reinterpret_cast<uintptr_t>(handle)) == 1;
}

bool PollChildLocked(ChildProcess& child) {
    if (child.ended) return true;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(child.pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == child.pid) {
        child.ended = true;
        child.exitCode = ExitCodeOf(status);
    } else if (result < 0) {
        // Someone else reaped it (a SIGCHLD handler of the host program).
        WriteDiagnostic("GetExitCodeProcess: child reaped elsewhere; its exit code is unknown (reported as 0)");
        child.ended = true;
        child.exitCode = 0;
    }
    return child.ended;
}

}  // namespace brontar::platform
