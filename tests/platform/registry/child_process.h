// Runs a piece of a test in a forked child process, as a second program
// using the same machine folder would.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>

namespace brontar::testing {

// Forks, runs body in the child and ends the child with exit status 0 when
// body returns true, 1 when it returns false or throws. Returns the child's pid.
inline pid_t StartChild(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        bool ok = false;
        try {
            ok = body();
        } catch (...) {
            ok = false;
        }
        ::_exit(ok ? 0 : 1);
    }
    return pid;
}

// The raw wait status of the child.
inline int WaitForChild(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return status;
}

// Runs body in a child and tells whether it exited with status 0.
inline bool RunInChild(const std::function<bool()>& body) {
    const int status = WaitForChild(StartChild(body));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace brontar::testing
