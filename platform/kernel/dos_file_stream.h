// The C runtime's buffered files on DOS paths: a FILE* over a file of the
// machine that behaves as the Windows C runtime's does (text and binary
// modes, errors in errno).
#pragma once

#include <cstdio>
#include <string>

namespace brontar::platform {

// Opens the host file with a Windows fopen mode ("r", "r+b", "w+b", "at", ...;
// "c" commits: each flush reaches the disk before fflush returns).
// Null with errno set on failure (EINVAL for a bad mode, EACCES for a folder).
// Every write passes the stop point "CrtStop" and asks the fault hook
// "CrtWrite", so a test can end the process or make a write fail half way
// through a file.
FILE* OpenDosFileStream(const std::string& hostPath, const char* mode);

}  // namespace brontar::platform
