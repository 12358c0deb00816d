// Which of the wider vector instruction sets this processor offers, for the
// drawing and presentation loops that have a way for each.
#pragma once

namespace brontar::machine {

enum class VectorUnit {
    Avx2,
    Avx512Vbmi,  // AVX-512 F, BW and VBMI together
};

// Asks the C library, which read the processor's features when the process
// started: that spares each start the compiler runtime's own round of CPUID
// (slow in a virtual machine), and the C library's switches turn a unit off
// for a whole process (GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-AVX512F), so
// the narrower ways can be run on any machine. Answers false on other
// processors.
bool ProcessorHas(VectorUnit unit);

}  // namespace brontar::machine
