// The one GUID grammar: the registry's class keys and machine.ini's driver
// and device identities.
#include <gtest/gtest.h>

#include "machine/guid_text.h"

using namespace brontar::machine;

namespace {

TEST(GuidText, FirstThreeGroupsLieLeastSignificantByteFirst) {
    const GuidBytes board{0x2C, 0x1A, 0x4E, 0x0B, 0x3F, 0x7D, 0x65, 0x4E,
                          0x9A, 0x81, 0xC3, 0xD5, 0xE7, 0xF9, 0x0B, 0x12};
    const GuidBytes page{0xE9, 0x63, 0x12, 0xE4, 0x34, 0x68, 0x21, 0x47,
                         0xA6, 0xA6, 0xCF, 0x96, 0x3B, 0x56, 0x58, 0xBB};
    const struct {
        const char* text;
        GuidBytes bytes;
    } good[] = {
        {"{0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12}", board},
        {"0b4e1a2c-7d3f-4e65-9a81-c3d5e7f90b12", board},  // machine.ini's form without braces
        {"{E41263E9-6834-4721-A6A6-CF963B5658BB}", page},
        {"{e41263e9-6834-4721-a6a6-cf963b5658bb}", page},
    };
    for (const auto& c : good) EXPECT_EQ(ParseGuid(c.text), c.bytes) << c.text;
}

TEST(GuidText, AnythingElseIsRefused) {
    for (const char* bad : {
             "",
             "{}",
             "{0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B1}",    // a digit short
             "{0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B123}",  // a digit over
             "{0B4E1A2C+7D3F-4E65-9A81-C3D5E7F90B12}",   // not a dash
             "{0B4E1A2C 7D3F-4E65-9A81-C3D5E7F90B12}",
             "{0B4E1A2C7-D3F-4E65-9A81-C3D5E7F90B12}",   // a dash out of place
             "{0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90BZ2}",   // not hex
             "{+B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12}",   // a sign where a digit goes
             "{0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12",    // one brace
             "0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12}",
             "(0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12)",
             "{0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12}x",
             " {0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12}",  // callers trim what their files trim
             "{{0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12}}",
         })
        EXPECT_FALSE(ParseGuid(bad)) << bad;
}

}  // namespace
