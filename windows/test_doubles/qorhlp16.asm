; qorhlp16.dll for Windows test runs: a 16-bit library in the NE format,
; assembled whole by nasm -f bin (no 16-bit linker needed). It is a test
; fixture; nothing installs it as a product file.
;
; Its three exports answer as the product's 16-bit support library does,
; keeping everything in QORHLP16.INI in the Windows folder, through the
; 16-bit KERNEL's profile calls, so the record outlives the process:
;
;   [monitor]
;   DeviceKey=Enum\MONITOR\DEFAULT_MONITOR\0001   ; absent: that default;
;                                                ; empty: no monitor
;   [board]
;   Installed=1                                  ; 1 present, -1 absent;
;                                                ; absent: nothing recorded
;
; Deleting the file forgets the record and restores the default monitor.
;
; File layout: MZ header and DOS stub, NE header, segment table, (no
; resources), resident names, module references, imported names, entry
; table, non-resident names; then at CODE_FILE_OFFSET the one code segment
; (fixed, preloaded, readable: its strings live in it, and the library has
; no data segment; buffers live on the caller's stack), followed by its
; relocation records, one per call into KERNEL.

        cpu     286
        bits    16

%define CODE_FILE_OFFSET 0x200  ; a multiple of 1 << ALIGN_SHIFT
%define ALIGN_SHIFT 4

; KERNEL's exports by ordinal, and its module reference (1-based).
%define KERNEL_MODULE 1
%define KERNEL_GetPrivateProfileString 128
%define KERNEL_WritePrivateProfileString 129

; Segment and relocation constants of the NE format.
%define SEG_PRELOAD 0x0040
%define SEG_RELOCINFO 0x0100
%define RELOC_FAR_POINTER 3     ; source: 16:16 pointer
%define RELOC_IMPORT_ORDINAL 1  ; target: module and ordinal
%define ENTRY_EXPORTED 1

; Room on the stack for the device key path: a path up to PATH_ROOM - 2
; characters is read whole; a longer one is cut by the profile call and
; refused.
%define PATH_ROOM 258
; Room for the installed record's text ("-32768" and its terminator, and
; a few characters more so a longer text shows as such).
%define RECORD_ROOM 16

        section header start=0

; ---------------------------------------------------------------- MZ stub
mz_header:
        db      'MZ'
        dw      (dos_stub_end - mz_header) % 512             ; bytes in the last page
        dw      (dos_stub_end - mz_header + 511) / 512     ; pages
        dw      0                               ; relocations
        dw      4                               ; header paragraphs
        dw      0, 0xFFFF                       ; extra paragraphs min, max
        dw      0, 0x100                        ; SS:SP
        dw      0                               ; checksum
        dw      0, 0                            ; IP, CS
        dw      0x40                            ; relocation table
        dw      0                               ; overlay
        times 0x3C - ($ - $$) db 0
        dd      ne_header
dos_stub:                                       ; run when started under DOS
        push    cs
        pop     ds
        mov     dx, dos_message - dos_stub
        mov     ah, 9
        int     0x21
        mov     ax, 0x4C01
        int     0x21
dos_message:
        db      'This program requires Microsoft Windows.', 13, 10, '$'
dos_stub_end:

; ---------------------------------------------------------------- NE header
        align   16, db 0
ne_header:
        db      'NE'
        db      5, 10                           ; linker version
        dw      entry_table - ne_header
        dw      entry_table_end - entry_table
        dd      0                               ; file CRC
        dw      0x8308          ; library, Windows, protected mode, no data segment
        dw      0                               ; automatic data segment: none
        dw      0                               ; local heap
        dw      0                               ; stack (a library has none)
        dd      0                               ; CS:IP: no initialisation code
        dd      0                               ; SS:SP
        dw      1                               ; segments
        dw      (imported_names - module_references) / 2
        dw      nonresident_names_end - nonresident_names
        dw      segment_table - ne_header
        dw      resource_table - ne_header
        dw      resident_names - ne_header
        dw      module_references - ne_header
        dw      imported_names - ne_header
        dd      nonresident_names               ; from the start of the file
        dw      0                               ; movable entries
        dw      ALIGN_SHIFT
        dw      0                               ; resource segments
        db      2                               ; for Windows
        db      0
        dw      0, 0                            ; fast-load area
        dw      0                               ; code swap area
        dw      0x030A                          ; Windows 3.10 and later

segment_table:
        dw      CODE_FILE_OFFSET >> ALIGN_SHIFT ; in sectors
        dw      code_end                        ; bytes in the file
        dw      SEG_PRELOAD | SEG_RELOCINFO     ; fixed code
        dw      code_end                        ; bytes in memory

resource_table:                                 ; none: it ends where it starts

resident_names:                                 ; the module, then the exports
        db      8, 'QORHLP16'
        dw      0
        db      16, 'GETMONITORPATH16'
        dw      1
        db      19, 'ISBRONTRINSTALLED16'
        dw      2
        db      21, 'SETBRONTARINSTALLED16'
        dw      3
        db      0

module_references:
        dw      kernel_name - imported_names

imported_names:
        db      0
kernel_name:
        db      6, 'KERNEL'

entry_table:                                    ; ordinals 1 to 3 in segment 1
        db      3, 1
        db      ENTRY_EXPORTED
        dw      GetMonitorPath16
        db      ENTRY_EXPORTED
        dw      IsBrontrInstalled16
        db      ENTRY_EXPORTED
        dw      SetBrontarInstalled16
        db      0
entry_table_end:

nonresident_names:                              ; the description
        db      description_end - description
description:
        db      'Brontar 3D 16-bit support library (test double)'
description_end:
        dw      0
        db      0
nonresident_names_end:

        times CODE_FILE_OFFSET - ($ - $$) db 0  ; fails when the header grows past the code

; ---------------------------------------------------------------- code
        section code start=CODE_FILE_OFFSET vstart=0 align=1
        section relocations follows=code align=1
        dw      (relocation_records_end - relocation_records) / 8
relocation_records:
        section code

; CALL_KERNEL ordinal: a far call to KERNEL's export, bound by the loader
; through a relocation record (the chain of the call's pointer ends at once).
%macro CALL_KERNEL 1
        db      0x9A
%%pointer:
        dw      0xFFFF, 0
        section relocations
        db      RELOC_FAR_POINTER, RELOC_IMPORT_ORDINAL
        dw      %%pointer, KERNEL_MODULE, %1
        section code
%endmacro

; PUSH_CODE_STRING label: a far pointer to a string of this segment.
%macro PUSH_CODE_STRING 1
        push    cs
        push    %1
%endmacro

; WORD FAR PASCAL GETMONITORPATH16(LPSTR lpBuffer, WORD cbBuffer)
; Copies the monitor's device key path (below HKEY_LOCAL_MACHINE) with its
; terminator into lpBuffer and answers 1; answers 0 and writes nothing when
; no monitor is identified or the path does not fit in cbBuffer bytes.
GetMonitorPath16:
        push    bp
        mov     bp, sp
        sub     sp, PATH_ROOM
        push    si
        push    di
        PUSH_CODE_STRING section_monitor
        PUSH_CODE_STRING key_device_key
        PUSH_CODE_STRING default_device_key
        push    ss
        lea     ax, [bp - PATH_ROOM]
        push    ax
        push    PATH_ROOM
        PUSH_CODE_STRING profile_file
        CALL_KERNEL KERNEL_GetPrivateProfileString
        xor     dx, dx                          ; the answer
        test    ax, ax                          ; empty: no monitor
        jz      .answer
        cmp     ax, PATH_ROOM - 1               ; cut: too long to be a path
        jae     .answer
        mov     cx, ax
        inc     cx                              ; with the terminator
        cmp     cx, [bp + 6]                    ; cbBuffer
        ja      .answer
        cmp     word [bp + 10], 0               ; no buffer
        je      .answer
        les     di, [bp + 8]                    ; lpBuffer
        push    ds
        push    ss
        pop     ds
        lea     si, [bp - PATH_ROOM]
        cld
        rep     movsb
        pop     ds
        inc     dx
.answer:
        mov     ax, dx
        pop     di
        pop     si
        mov     sp, bp
        pop     bp
        retf    6

; SHORT FAR PASCAL IsBrontrInstalled16(void)
; The recorded answer: 1 present, -1 absent; 0 when nothing (or no number
; from -32768 to 32767) is recorded.
IsBrontrInstalled16:
        push    bp
        mov     bp, sp
        sub     sp, RECORD_ROOM
        push    si
        PUSH_CODE_STRING section_board
        PUSH_CODE_STRING key_installed
        PUSH_CODE_STRING empty_text
        push    ss
        lea     ax, [bp - RECORD_ROOM]
        push    ax
        push    RECORD_ROOM
        PUSH_CODE_STRING profile_file
        CALL_KERNEL KERNEL_GetPrivateProfileString
        ; A signed decimal number and nothing else.
        lea     si, [bp - RECORD_ROOM]
        xor     ax, ax                          ; magnitude
        xor     cx, cx                          ; 1 when negative
        cmp     byte [ss:si], '-'
        jne     .first_digit
        inc     cx
        inc     si
.first_digit:
        cmp     byte [ss:si], 0                 ; no digit at all
        je      .no_record
.next_digit:
        mov     bl, [ss:si]
        test    bl, bl
        jz      .sign
        sub     bl, '0'
        cmp     bl, 9
        ja      .no_record
        mov     bh, 0
        mov     dx, 10
        mul     dx
        jc      .no_record
        add     ax, bx
        jc      .no_record
        inc     si
        jmp     .next_digit
.sign:
        mov     dx, 0x7FFF
        add     dx, cx                          ; 32768 only when negative
        cmp     ax, dx
        ja      .no_record
        jcxz    .answer
        neg     ax
        jmp     .answer
.no_record:
        xor     ax, ax
.answer:
        pop     si
        mov     sp, bp
        pop     bp
        retf

; WORD FAR PASCAL SetBrontarInstalled16(WORD flag)
; Records the board as present (flag non-zero) or absent (0); answers 1
; when recorded, 0 when the profile could not be written.
SetBrontarInstalled16:
        push    bp
        mov     bp, sp
        PUSH_CODE_STRING section_board
        PUSH_CODE_STRING key_installed
        push    cs
        mov     ax, absent_text
        cmp     word [bp + 6], 0
        je      .push_text
        mov     ax, present_text
.push_text:
        push    ax
        PUSH_CODE_STRING profile_file
        CALL_KERNEL KERNEL_WritePrivateProfileString
        neg     ax                              ; non-zero: written
        sbb     ax, ax
        neg     ax
        pop     bp
        retf    2

profile_file:           db 'QORHLP16.INI', 0
section_monitor:        db 'monitor', 0
key_device_key:         db 'DeviceKey', 0
default_device_key:     db 'Enum\MONITOR\DEFAULT_MONITOR\0001', 0
section_board:          db 'board', 0
key_installed:          db 'Installed', 0
present_text:           db '1', 0
absent_text:            db '-1'
empty_text:             db 0
code_end:

        section relocations
relocation_records_end:
