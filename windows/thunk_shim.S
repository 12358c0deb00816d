/* The page's flat-thunk calls bound to KERNEL32 as Windows 95 takes them.
 *
 * The system code calls QT_Thunk(target, words, size), SMapLS_IP_EBP_8(buffer)
 * and SUnMapLS_IP_EBP_8(pointer) as plain stdcall functions (thunk16.h). The
 * real entries (imported as Kernel32QtThunk and so on, kernel32_thunk.def)
 * take their arguments otherwise:
 *
 *  - QT_Thunk: the 16:16 target in EDX, the 16-bit arguments pushed on the
 *    caller's stack in push order, with exactly 64 bytes between EBP and the
 *    last word pushed first (KERNEL32 takes EBP - ESP - 0x40 as the size of
 *    the arguments and uses those 64 bytes itself); the answer in DX:AX. It
 *    may leave ESP short of the words the 16-bit side took, so the frame
 *    restores ESP from EBP.
 *  - SMapLS_IP_EBP_8: maps the linear pointer at [EBP+8] to a 16:16 one
 *    (0 for a null pointer), stores it there and answers it in EAX.
 *  - SUnMapLS_IP_EBP_8: releases the 16:16 pointer at [EBP+8].
 */
        .intel_syntax noprefix
        .text

/* The most argument bytes a call hands on; the page's calls take at most 6. */
        .set MAX_ARGUMENT_BYTES, 256

/* DWORD WINAPI QT_Thunk(FARPROC16 target, const WORD* words, DWORD size):
 * answers DX:AX as (DX << 16) | AX; 0 without calling when size is odd or
 * larger than MAX_ARGUMENT_BYTES. */
        .globl  _QT_Thunk@12
        .def    _QT_Thunk@12; .scl 2; .type 32; .endef
_QT_Thunk@12:
        /* Callee-saved registers go below the return address, before EBP is
         * set: everything between EBP and the arguments is KERNEL32's room. */
        push    ebx
        push    esi
        push    edi
        push    ebp
        mov     ebp, esp
        /* [ebp+20] target, [ebp+24] words, [ebp+28] size */
        xor     eax, eax
        mov     ecx, [ebp + 28]
        test    ecx, 1
        jnz     2f
        cmp     ecx, MAX_ARGUMENT_BYTES
        ja      2f
        sub     esp, 0x40
        mov     esi, [ebp + 24]
        shr     ecx, 1
        jz      1f
0:      push    word ptr [esi]          /* the first word goes highest */
        add     esi, 2
        dec     ecx
        jnz     0b
1:      mov     edx, [ebp + 20]
        call    dword ptr [__imp__Kernel32QtThunk]
        movzx   eax, ax
        shl     edx, 16
        or      eax, edx
2:      mov     esp, ebp
        pop     ebp
        pop     edi
        pop     esi
        pop     ebx
        ret     12

/* SEGPTR WINAPI SMapLS_IP_EBP_8(LPVOID buffer): the frame puts buffer at
 * [EBP+8], where KERNEL32 maps it. */
        .globl  _SMapLS_IP_EBP_8@4
        .def    _SMapLS_IP_EBP_8@4; .scl 2; .type 32; .endef
_SMapLS_IP_EBP_8@4:
        push    ebp
        mov     ebp, esp
        call    dword ptr [__imp__Kernel32SMapLS_IP_EBP_8]
        pop     ebp
        ret     4

/* void WINAPI SUnMapLS_IP_EBP_8(SEGPTR pointer): likewise at [EBP+8]. */
        .globl  _SUnMapLS_IP_EBP_8@4
        .def    _SUnMapLS_IP_EBP_8@4; .scl 2; .type 32; .endef
_SUnMapLS_IP_EBP_8@4:
        push    ebp
        mov     ebp, esp
        call    dword ptr [__imp__Kernel32SUnMapLS_IP_EBP_8]
        pop     ebp
        ret     4
