/* SimFrameSetJump / SimFrameLongJump for 32-bit x86, cdecl: ebx, esi, edi,
   ebp, the caller's esp and the return address (24 of the 64 bytes). */
#ifdef _WIN32
#define SYM(name) _##name
#else
#define SYM(name) name
#endif
        .text
        .globl  SYM(SimFrameSetJump)
SYM(SimFrameSetJump):
        movl    4(%esp), %ecx           /* frame */
        movl    %ebx, 0(%ecx)
        movl    %esi, 4(%ecx)
        movl    %edi, 8(%ecx)
        movl    %ebp, 12(%ecx)
        leal    4(%esp), %edx
        movl    %edx, 16(%ecx)
        movl    (%esp), %edx
        movl    %edx, 20(%ecx)
        xorl    %eax, %eax
        ret

        .globl  SYM(SimFrameLongJump)
SYM(SimFrameLongJump):
        movl    4(%esp), %ecx           /* frame */
        movl    8(%esp), %eax           /* value */
        testl   %eax, %eax
        jnz     1f
        incl    %eax
1:      movl    0(%ecx), %ebx
        movl    4(%ecx), %esi
        movl    8(%ecx), %edi
        movl    12(%ecx), %ebp
        movl    16(%ecx), %esp
        jmp     *20(%ecx)
#ifndef _WIN32
        .section .note.GNU-stack,"",@progbits
#endif
