// The processes this process started, behind their Win32 handles.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <mutex>

namespace brontar::platform {

// One started child; its process handle and its thread handle share it.
struct ChildProcess {
    pid_t pid = -1;
    int pidfd = -1;           // readable once the child has ended; -1 where the kernel lacks it
    bool ended = false;       // reaped; exitCode holds its status
    uint32_t exitCode = 0;
    std::mutex mutex;
    ~ChildProcess();
};

// Registers a started child and answers its process and thread handles.
struct ProcessHandles {
    void* process;
    void* thread;
};
ProcessHandles RegisterChildProcess(pid_t pid);

// The child behind a process or thread handle, or null.
std::shared_ptr<ChildProcess> FindChildProcess(void* handle);

// Forgets one handle; false when it was not open.
bool CloseChildHandle(void* handle);

// Reaps the child when it has ended; true once it has. Call with its mutex held.
bool PollChildLocked(ChildProcess& child);

}  // namespace brontar::platform
