// Attaching a monitor rewrites one line of machine.ini; the user's other
// lines, comments and line ends stay.
#include <gtest/gtest.h>

#include "machine/machine_ini.h"

namespace brontar::machine {
namespace {

TEST(WithIniValue, RewritesTheLineThatCountsAndKeepsEverythingElse) {
    // The key's last line is the one that counts: that one is rewritten.
    EXPECT_EQ(WithIniValue("; mine\r\n[Monitor]\r\nDeviceKey=A\r\n; note\r\ndevicekey=B\r\n[other]\r\ndevicekey=C\r\n",
                           "monitor", "devicekey", "Enum\\X"),
              "; mine\r\n[Monitor]\r\nDeviceKey=A\r\n; note\r\ndevicekey=Enum\\X\r\n[other]\r\ndevicekey=C\r\n");
    // Added at the end of its section, before a blank line and the next one.
    EXPECT_EQ(WithIniValue("[monitor]\nx=1\n\n[hgi1init]\nboardpresent=yes\n", "monitor", "devicekey", "K"),
              "[monitor]\nx=1\ndevicekey=K\n\n[hgi1init]\nboardpresent=yes\n");
    // A commented-out line is not the key; a missing section is added.
    EXPECT_EQ(WithIniValue("[monitor]\n;devicekey=old", "monitor", "devicekey", "K"),
              "[monitor]\n;devicekey=old\ndevicekey=K\n");
    EXPECT_EQ(WithIniValue("[windows]\nbootdrive=C", "monitor", "devicekey", "K"),
              "[windows]\nbootdrive=C\n\n[monitor]\ndevicekey=K\n");
    const std::string edited = WithIniValue("[monitor]\ndevicekey=old\n", "MONITOR", "DEVICEKEY", "new");
    EXPECT_EQ(MachineIni::Parse(edited).GetOr("monitor", "devicekey", ""), "new");
}

}  // namespace
}  // namespace brontar::machine
