#include "machine/vector_units.h"

#if defined(__x86_64__) || defined(__i386__)
#if __has_include(<sys/platform/x86.h>)
// The C library's header names C's _Bool, which g++ takes and clang++ not.
#define _Bool bool
#include <sys/platform/x86.h>
#undef _Bool
#define BRONTAR_CPU_HAS(glibcName, compilerName) CPU_FEATURE_ACTIVE(glibcName)
#else
#define BRONTAR_CPU_HAS(glibcName, compilerName) __builtin_cpu_supports(compilerName)
#endif
#endif

namespace brontar::machine {

bool ProcessorHas(VectorUnit unit) {
#ifdef BRONTAR_CPU_HAS
    static const bool avx2 = BRONTAR_CPU_HAS(AVX2, "avx2");
    static const bool avx512Vbmi = BRONTAR_CPU_HAS(AVX512F, "avx512f") && BRONTAR_CPU_HAS(AVX512BW, "avx512bw") &&
                                   BRONTAR_CPU_HAS(AVX512_VBMI, "avx512vbmi");
    switch (unit) {
        case VectorUnit::Avx2: return avx2;
        case VectorUnit::Avx512Vbmi: return avx512Vbmi;
    }
#endif
    (void)unit;
    return false;
}

}  // namespace brontar::machine
