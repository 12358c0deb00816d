#include "machine/default_machine.h"

namespace brontar::machine {

// Every key is described in docs/machine.md; a missing key takes the value
// shown here.
std::string_view DefaultMachineIni() {
    return "; The simulated Windows 95 PC of the Brontar 3D software.\n"
           "; Every key is described in docs/machine.md.\n"
           "\n"
           "[windows]\n"
           "directory=C:\\WINDOWS\n"
           "bootdrive=C\n"
           "\n"
           "[directdraw]\n"
           "drivers=display,ddcorv\n"
           "\n"
           "[directdraw.display]\n"
           "description=Primary Display Driver\n"
           "identity=none\n"
           "modes=640x480x8,640x480x16,800x600x16,1024x768x16\n"
           "desktop=1024x768x16\n"
           "videomemory=2097152\n"
           "framebuffer=2097152\n"
           "presents=no\n"
           "\n"
           "[directdraw.ddcorv]\n"
           "description=Brontar 3D\n"
           "identity={0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12}\n"
           "modes=512x384x16,640x400x16,640x480x16,800x600x16\n"
           "desktop=640x480x16\n"
           "videomemory=4194304\n"
           "framebuffer=2097152\n"
           "presents=yes\n"
           "\n"
           "[monitor]\n"
           "devicekey=Enum\\MONITOR\\DEFAULT_MONITOR\\0001\n"
           "\n"
           "[hgi1init]\n"
           "boardpresent=yes\n"
           "deviceinfo=yes\n";
}

std::string_view DefaultRegistryFile() { return "REGEDIT4\r\n\r\n"; }

std::string_view DefaultAutoexecBat() {
    return "@ECHO OFF\r\n"
           "SET TEMP=C:\\WINDOWS\\TEMP\r\n"
           "SET PATH=C:\\WINDOWS;C:\\WINDOWS\\COMMAND\r\n"
           "SET BLASTER=A220 I5 D1 T4\r\n"
           "LH C:\\WINDOWS\\COMMAND\\DOSKEY.COM\r\n"
           "LH C:\\MOUSE\\MOUSE.COM\r\n";
}

}  // namespace brontar::machine
