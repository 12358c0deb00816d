// Display Properties: the control panel's sheet with the pages of every
// property-sheet handler the registry lists for it.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/automation.h"

namespace brontar::host {

// One handler entry: its name, class identifier text and in-process server.
struct SheetHandler {
    std::string name;
    std::string classId;    // "{E41263E9-...}"
    std::string serverPath; // DOS path of the library
};

// The handlers listed under the Display control panel's key, in key order.
// Entries without a class or a server path are skipped.
std::vector<SheetHandler> FindDisplayHandlers();

// What happened to one run of the sheet.
struct SheetOutcome {
    int pagesShown = 0;       // pages the handlers added
    INT_PTR sheetResult = 0;  // PropertySheetA's answer (-1 when none was shown)
    bool librariesFreed = true;  // every handler library could be unloaded
};

// Loads each handler, asks it for its pages, shows the sheet (driven by the
// driver, if any) and releases everything. Messages for the user go to err.
SheetOutcome ShowDisplayProperties(const platform::PropertySheetDriver& driver, std::ostream& err);

// Tells what the outcome means for the program that showed the sheet: a
// needed restart on out; on err, with the program's name, that there was no
// page or no sheet. False in those two cases.
bool ReportSheetOutcome(const SheetOutcome& outcome, const char* program, std::ostream& out, std::ostream& err);

}  // namespace brontar::host
