#include "machine/faults.h"

#include <gtest/gtest.h>

#include <cstdlib>

using brontar::machine::FaultRequested;
using brontar::machine::ResetFaults;

namespace {

void UseFaults(const char* text) {
    ::setenv("BRONTAR_FAULTS", text, 1);
    ResetFaults();
}

}  // namespace

TEST(Faults, NoneRequestedByDefault) {
    ::unsetenv("BRONTAR_FAULTS");
    ResetFaults();
    EXPECT_FALSE(FaultRequested("CreateSurface"));
}

TEST(Faults, EveryCallOnlyTheNthAndFromTheNthOn) {
    UseFaults("Lock; createsurface@2 ;Execute@3+");
    EXPECT_TRUE(FaultRequested("Lock"));
    EXPECT_TRUE(FaultRequested("LOCK"));
    EXPECT_FALSE(FaultRequested("CreateSurface"));
    EXPECT_TRUE(FaultRequested("CreateSurface"));
    EXPECT_FALSE(FaultRequested("CreateSurface"));
    EXPECT_FALSE(FaultRequested("Execute"));
    EXPECT_FALSE(FaultRequested("Execute"));
    EXPECT_TRUE(FaultRequested("Execute"));
    EXPECT_TRUE(FaultRequested("Execute"));
    ::unsetenv("BRONTAR_FAULTS");
    ResetFaults();
}

TEST(Faults, MalformedCountsAreIgnored) {
    UseFaults("Flip@0;Flip@x;Flip@;Blt@2x");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(FaultRequested("Flip"));
    EXPECT_FALSE(FaultRequested("Blt"));
    EXPECT_FALSE(FaultRequested("Blt"));
    ::unsetenv("BRONTAR_FAULTS");
    ResetFaults();
}
