// What a program tells its user on standard error when it runs headless
// because no display is reachable (not when headless was asked for): what
// shows nowhere, how to see it and drive it, and where its keys come from.
#pragma once

#include <string>

namespace brontar::machine {

// The running program as its user started it: the last component of its
// name (brntrtst, BRNTRTST.EXE, brontar).
std::string RunningProgramName();

// The lines said when the program turns out to run headless: why (reason,
// such as "DISPLAY and WAYLAND_DISPLAY are not set"), then the ways to see
// and drive it.
std::string HeadlessNotice(const std::string& program, const std::string& reason);

// The line said when such a program first waits for its user with no
// BRONTAR_INPUT: the terminal's keys reach it, or nothing can.
std::string WaitingForKeysNotice(const std::string& program, bool terminalKeys, long processId);

// Writes a notice to standard error.
void SayToUser(const std::string& notice);

}  // namespace brontar::machine
