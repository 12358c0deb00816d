/* The two entries of the QT_Thunk repair (qt_thunk_repair.h). */
        .intel_syntax noprefix
        .text

/* RepairedQtThunk: QT_Thunk's convention: the 16:16 target in EDX, the
 * argument words from ESP (after the return address) up to EBP - 0x40.
 * Answers DX:AX in DX and AX (and EAX whole); keeps EBX, ESI, EDI, EBP. */
        .globl  _RepairedQtThunk
        .def    _RepairedQtThunk; .scl 2; .type 32; .endef
_RepairedQtThunk:
        push    ebx
        lea     ecx, [esp + 8]                  /* the words */
        mov     eax, ebp
        sub     eax, ecx
        sub     eax, 0x40                       /* their size */
        jae     0f
        xor     eax, eax                        /* no room: no words */
0:      push    0                               /* the answer */
        mov     ebx, esp
        push    ebx                             /* pdwRetCode */
        push    ecx                             /* pArgs */
        push    eax                             /* cbArgs */
        push    0                               /* WCB16_PASCAL */
        push    edx                             /* vpfn16 */
        call    dword ptr [_repairWowCallback16Ex]
        pop     eax
        mov     edx, eax
        shr     edx, 16
        pop     ebx
        ret

/* DWORD CallQtThunkEntry(void* entry, DWORD target): calls the 16-bit
 * procedure at target without arguments through a QT_Thunk entry, in the
 * frame that entry expects; answers (DX << 16) | AX. */
        .globl  _CallQtThunkEntry
        .def    _CallQtThunkEntry; .scl 2; .type 32; .endef
_CallQtThunkEntry:
        push    ebx
        push    esi
        push    edi
        push    ebp
        mov     ebp, esp
        sub     esp, 0x40                       /* the entry's room, no words */
        mov     edx, [ebp + 24]
        call    dword ptr [ebp + 20]
        movzx   eax, ax
        shl     edx, 16
        or      eax, edx
        mov     esp, ebp
        pop     ebp
        pop     edi
        pop     esi
        pop     ebx
        ret
