/* SimFrameSetJump / SimFrameLongJump for x86-64 (System V): rbx, rbp, r12-r15,
   the caller's rsp and the return address fill the 64 bytes of jumpState. */
        .text
        .globl  SimFrameSetJump
        .type   SimFrameSetJump, @function
SimFrameSetJump:
        movq    %rbx, 0(%rdi)
        movq    %rbp, 8(%rdi)
        movq    %r12, 16(%rdi)
        movq    %r13, 24(%rdi)
        movq    %r14, 32(%rdi)
        movq    %r15, 40(%rdi)
        leaq    8(%rsp), %rdx           /* rsp as the caller sees it after return */
        movq    %rdx, 48(%rdi)
        movq    (%rsp), %rdx            /* return address */
        movq    %rdx, 56(%rdi)
        xorl    %eax, %eax
        ret
        .size   SimFrameSetJump, .-SimFrameSetJump

        .globl  SimFrameLongJump
        .type   SimFrameLongJump, @function
SimFrameLongJump:
        movl    %esi, %eax
        testl   %eax, %eax
        jnz     1f
        incl    %eax
1:      movq    0(%rdi), %rbx
        movq    8(%rdi), %rbp
        movq    16(%rdi), %r12
        movq    24(%rdi), %r13
        movq    32(%rdi), %r14
        movq    40(%rdi), %r15
        movq    48(%rdi), %rsp
        jmpq    *56(%rdi)
        .size   SimFrameLongJump, .-SimFrameLongJump

        .section .note.GNU-stack,"",@progbits
