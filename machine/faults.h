// Faults a test asks for: platform calls made to fail, surfaces lost at a
// chosen frame, so every failure path of the programs can be driven end to
// end. Set by BRONTAR_FAULTS, read once per process.
//
// BRONTAR_FAULTS holds items separated by ';':
//   NAME        every call of the operation NAME fails
//   NAME@N      only the Nth call (counted from 1) of NAME fails
//   NAME@N+     the Nth call and every later one fail
// Operation names are the platform's own (DirectDrawEnumerate, SetDisplayMode,
// CreateSurface, Lock, BeginScene, Execute, ...); the code that checks an
// operation documents its name. "LoseSurfaces@N" makes the board lose its
// surfaces when frame N is presented.
#pragma once

#include <cstdint>
#include <string_view>

namespace brontar::machine {

// Counts one call of the operation and tells whether it is to fail.
bool FaultRequested(std::string_view operation);

// A stop point: when the operation is to fail, the process ends at once as a
// kill would end it (SIGKILL: no clean-up, no buffers flushed), so a test can
// stop a writer between any two of its steps.
void StopIfRequested(std::string_view operation);

// Reads BRONTAR_FAULTS again and clears all call counts (tests that change
// the variable within one process call this).
void ResetFaults();

}  // namespace brontar::machine
