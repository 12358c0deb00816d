// A repair of Wine 8.0's QT_Thunk for a Windows test host, in the test
// host's own process only; the product files never carry it.
//
// Wine 8.0's KERNEL32 QT_Thunk reaches the 16-bit procedure with the right
// arguments but loses its answer: it resumes the caller through a context
// that drops EAX, ECX and EDX, so every 16-bit answer reads as 0. The repair
// is an entry with QT_Thunk's convention (target in EDX, the argument words
// at ESP, their size EBP - ESP - 0x40) that calls the target through
// KERNEL32's K32WOWCallback16Ex (WOW32's WOWCallback16Ex where KERNEL32
// exports it by ordinal only, as Wine's does; Pascal order, arguments
// copied) and answers DX:AX in DX and AX; ESP comes back as it went in, so a caller must restore
// ESP from EBP, as KERNEL32's own QT_Thunk also requires.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Points the module's import of KERNEL32 QT_Thunk at the repair. TRUE when
// the module imports QT_Thunk and every such import now calls the repair;
// FALSE when it does not import it, or there is no K32WOWCallback16Ex to
// call (Windows 95 has none, and needs no repair).
BOOL RepairQtThunkImport(HMODULE module);

// The self-check: TRUE when the last module given to RepairQtThunkImport
// calls the repair for QT_Thunk and a call through that import brings back
// the answer of the 16-bit KERNEL's GetVersion (never 0).
BOOL QtThunkAnswersComeBack(void);

#ifdef __cplusplus
}
#endif
