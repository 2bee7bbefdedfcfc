org 7ffh
nop
x equ 1,2
jc §adresse§
mov a,#'A'
.db %1F
jmp 0x10
