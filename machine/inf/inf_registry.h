// The registry lines of INF files, as AddReg and DelReg sections list them:
// "root, subkey, value name, flags, value...". The caller picks the key the
// root names (HKR, HKLM, ...); these apply the rest of the line below it.
#pragma once

#include "machine/inf/inf_file.h"
#include "machine/registry/registry_tree.h"

namespace brontar::machine::inf {

// AddReg flags: bit 0 binary data, bit 1 keep an existing value, bit 2 delete
// the value; the high word picks the type (0 REG_SZ, 1 REG_MULTI_SZ, 2
// REG_EXPAND_SZ; with bit 0: 0 REG_BINARY, 1 REG_DWORD, else that type code).
inline constexpr uint32_t kAddRegBinary = 0x1;
inline constexpr uint32_t kAddRegNoClobber = 0x2;
inline constexpr uint32_t kAddRegDeleteValue = 0x4;

// Creates the subkey below root and, when the line names a value (three
// fields or more), sets it as the flags say. Throws InfError ("line N: ...")
// for flags or data that are not numbers, an unknown string type, a name the
// registry cannot hold or a key path of more than 256 names; root is then as
// the line found it.
void ApplyAddRegLine(const InfLine& line, registry::RegistryKey& root);

// Deletes the value the line names, or without a value name the subkey with
// everything below it; what is missing is left alone.
void ApplyDelRegLine(const InfLine& line, registry::RegistryKey& root);

}  // namespace brontar::machine::inf
