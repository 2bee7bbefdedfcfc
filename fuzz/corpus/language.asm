; every form of the language, as a seed
        include "x.inc"
        $include(x.inc)
ten     equ 10
tenh    equ 16h
x = 5
.equ y, 7
z .equ 3
w: equ 4
n set 1
n set n+1
led equ p1
ptr equ @r0
wait    macro reg, count
        mov reg,#count
again:  djnz reg,again
        endm
.macro twice a, b
        db a,a,b+0
.endm
        cpu 8048
        .8049
$MOD48
        org 0
start   mov a,#tenh+ten*x/y mod z
.next   djnz r7,.next
1$:     jnz 1$
        mov a,#low(table)
        mov a,#high table
        mov a,#-1
        outl led,a
        mov a,ptr
        jmp $
        wait r6, 250
        twice 3, 4
        if n = 2 && 1
        db 1010b,0b1010,$1F,17o,17q,255d,'A',%FF,0x10,"B"
        elseif 0
        db 1 shl 4 or 1, 0F0h>>4, ~0 and 0Fh, !0, 3 eq 3, 2 <> 3
        else
        db 0
        endif
        ifdef ten
        dw 1234h, table
        endif
        ifndef nope
        ds 3
        endif
table:  db "Hallo",0,'it''s'
        .asciz "ab"
        .text "cd"
far::   nop
count   reg     r2
        djnz    count,$
        mov     a,#((~((ten+7) # 8) << 4) & 0F0H) | (ten & 00FH)
        align   16
        rept    2
        local   x
x:      djnz    r6,x
        endm
        end start
