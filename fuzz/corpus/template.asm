ORG 0
   JMP START
CNT equ 10h
START:
   MOV A,#CNT
LOOP: DJNZ R2,LOOP
   db 0ffh
   call SUB
SUB: ret
END
