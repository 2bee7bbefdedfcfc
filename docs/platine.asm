; Platine: LCD im 4-Bit-Betrieb an BUS.4-7 (RS P2.6, E P2.7),
; zwei Ziffern im Multiplex an P1 (Auswahl P2.4, P2.5), LED an BUS.3.
        org 0
        anl p2,#3Fh             ; RS = 0, E = 0
        mov a,#20h              ; 4-Bit-Betrieb
        call nibble
        mov a,#28h              ; zwei Zeilen
        call lcdcmd
        mov a,#0Ch              ; Anzeige an
        call lcdcmd
        mov a,#06h
        call lcdcmd
        mov a,#01h              ; leeren: E war beim Reset hoch
        call lcdcmd
        mov a,#40h              ; CGRAM: Zeichen 0
        call lcdcmd
        mov r0,#herz
        call puts
        mov a,#80h              ; Zeile 1
        call lcdcmd
        mov r0,#zeile1
        call puts
        mov a,#0C0h             ; Zeile 2
        call lcdcmd
        mov r0,#zeile2
        call puts
mux:    mov a,#99h              ; "4" an Z1
        outl p1,a
        anl p2,#0EFh
        call warte
        orl p2,#10h
        mov a,#80h              ; "8" an Z2
        outl p1,a
        anl p2,#0DFh
        call warte
        orl p2,#20h
        jmp mux

warte:  mov r3,#100
w:      djnz r3,w
        ret

; Text ab R0 bis zum Byte 0FFH
puts:   mov a,r0
        movp a,@a
        cpl a
        jz fertig
        cpl a
        call lcddat
        inc r0
        jmp puts
fertig: ret

lcdcmd: anl p2,#0BFh
        jmp byte
lcddat: orl p2,#40h
byte:   mov r2,a
        call nibble
        mov a,r2
        swap a
nibble: anl a,#0F0h
        orl a,#07h              ; BUS.0-2 bleiben Eingänge, BUS.3 = 0: LED an
        outl bus,a
        orl p2,#80h
        anl p2,#7Fh
        ret

herz:   db 00h,0Ah,1Fh,1Fh,0Eh,04h,00h,00h,0FFh
zeile1: db "Hallo, Platine!",0FFh
zeile2: db "Ich ",0," MCS-48",0FFh
