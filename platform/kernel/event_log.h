// The event log named by BRONTAR_LOG: one line per failure report or message box.
#pragma once

#include <string_view>

namespace brontar::platform {

// Appends one line to the file named by BRONTAR_LOG ("-" is standard error).
// Newlines inside the text are written as \n so every event stays one line.
// Does nothing when BRONTAR_LOG is unset.
void WriteEventLog(std::string_view line);

// A platform diagnostic (a parse failure, a missing feature): to the event
// log when BRONTAR_LOG is set, else to standard error.
void WriteDiagnostic(std::string_view line);

}  // namespace brontar::platform
