; Strings: a length byte and up to 255 characters.
; Results of expressions live in the temporaries (reset at every statement);
; values of variables live in the heap, which grows down from MEMTOP and is
; compacted when it meets the arrays. A string slot holds 0 for "".

; HL = BC bytes of temporary space.
tmpalloc:
        ld hl, (tmpptr)
        push hl
        add hl, bc
        push de
        ld de, TMPTOP
        ex de, hl
        or a
        sbc hl, de
        ex de, hl
        pop de
        jp c, err_long
        ld (tmpptr), hl
        pop hl
        ret

; New temporary string of the B characters at HL. HL -> it, vtyp = string.
mkstr:
        push hl
        push bc
        ld c, b
        ld b, 0
        inc bc
        call tmpalloc
        pop bc
        pop de                  ; source
        push hl
        ld (hl), b
        inc hl
        ex de, hl
        ld c, b
        ld b, 0
        ld a, c
        or a
        jr z, mks1
        ldir
mks1:   pop hl
        ld a, 1
        ld (vtyp), a
        ret

; HL = DE + HL
concat:
        ld a, (de)
        add a, (hl)
        jp c, err_long
        ld (cattot), a
        push hl                 ; right
        push de                 ; left
        ; a chain like A$+B$+"C" grows the newest temporary in place rather
        ; than using up the temporary space with a copy at every step
        ex de, hl
        ld e, (hl)
        ld d, 0
        inc de
        add hl, de              ; end of left
        ld de, (tmpptr)
        or a
        sbc hl, de
        jr z, cc_grow           ; left is the newest temporary
        add hl, de
        pop de
        pop bc
        push bc
        push de
        or a
        sbc hl, bc
        jr nz, cc_new           ; right does not follow left
        ld h, b
        ld l, c
        ld e, (hl)
        ld d, 0
        inc de
        add hl, de              ; end of right
        ld de, (tmpptr)
        or a
        sbc hl, de
        jr nz, cc_new           ; right is not the newest
        ; right follows left and is the newest: its characters move down
        ; over its length byte
        dec de
        ld (tmpptr), de
        pop de                  ; left: the result
        pop hl                  ; right
        push de
        ld c, (hl)
        ld b, 0
        ld d, h
        ld e, l
        inc hl
        ld a, c
        or a
        jr z, cc3
        ldir
        jr cc3
cc_grow:
        pop de                  ; left: the result
        pop hl                  ; right
        push de
        ld c, (hl)
        ld b, 0
        push hl
        call tmpalloc           ; HL = just after the left operand
        ex de, hl
        pop hl
        inc hl
        ld a, c
        or a
        jr z, cc3
        ldir
cc3:    pop hl
        ld a, (cattot)
        ld (hl), a
        ld a, 1
        ld (vtyp), a
        ret
cc_new: ld a, (cattot)
        ld c, a
        ld b, 0
        inc bc
        call tmpalloc
        pop de                  ; left
        ld (hl), c
        dec (hl)
        push hl
        inc hl
        ex de, hl               ; HL = left, DE = destination
        ld c, (hl)
        ld b, 0
        inc hl
        ld a, c
        or a
        jr z, cc1
        ldir
cc1:    pop bc                  ; result
        pop hl                  ; right
        push bc
        ld c, (hl)
        ld b, 0
        inc hl
        ld a, c
        or a
        jr z, cc2
        ldir
cc2:    pop hl
        ld a, 1
        ld (vtyp), a
        ret

; Store the string HL in the slot DE (a copy in the heap).
strassign:
        xor a
        ld (de), a
        inc de
        ld (de), a
        dec de
        ld a, (hl)
        or a
        ret z
        push de
        ; a heap string may move when the heap is compacted: copy it first
        push hl
        ld de, (strbot)
        or a
        sbc hl, de
        pop hl
        jr c, sa1
        ld a, h
        cp MEMTOP/256
        jr nc, sa1
        ld b, (hl)
        inc hl
        call mkstr
sa1:    ld c, (hl)
        ld b, 0
        inc bc
        push hl
        call heapalloc          ; DE = block
        pop hl
        pop ix                  ; slot
        ld (ix+0), e
        ld (ix+1), d
        ldir
        ret

; DE = BC bytes at the bottom of the heap. Keeps BC.
heapalloc:
        call hpa1
        ret nc
        call gc
        call hpa1
        ret nc
        jp err_mem
hpa1:   ld hl, (strbot)
        or a
        sbc hl, bc
        ret c
        push hl
        ld de, (arrend)
        ld hl, 32
        add hl, de
        ex de, hl
        pop hl
        push hl
        or a
        sbc hl, de
        pop hl
        ret c
        ld (strbot), hl
        ex de, hl
        or a
        ret

; Compact the heap: strings keep their order and move up to MEMTOP.
gc:
        push bc
        push de
        push hl
        ld hl, MEMTOP
        ld (gcnewtop), hl
        ld (gclimit), hl
gc_round:
        ld hl, 0
        ld (gcbest), hl
        call gc_scan
        ld hl, (gcbest)
        ld a, h
        or l
        jr z, gc_done
        ld c, (hl)
        ld b, 0
        inc bc
        add hl, bc
        dec hl                  ; last byte of the string
        ld de, (gcnewtop)
        dec de
        lddr
        inc de
        ld (gcnewtop), de
        ld hl, (gcslot)
        ld (hl), e
        inc hl
        ld (hl), d
        ld hl, (gcbest)
        ld (gclimit), hl
        jr gc_round
gc_done:
        ld hl, (gcnewtop)
        ld (strbot), hl
        pop hl
        pop de
        pop bc
        ret

; Find the string slot whose string lies highest below gclimit. A string
; name has bit 7 of its first byte set; bit 5 marks a DEF FN, not a string.
gc_scan:
        ld hl, (vartab)
gs1:    ld de, (arrtab)
        push hl
        or a
        sbc hl, de
        pop hl
        jr nc, gs2
        ld a, (hl)
        inc hl
        inc hl
        and 0A0h
        cp 80h
        call z, gc_consider
        ld de, 5
        add hl, de
        jr gs1
gs2:    ld de, (arrend)         ; arrays: name, size of the entry, dimensions
        push hl
        or a
        sbc hl, de
        pop hl
        ret nc
        push hl
        ld a, (hl)
        inc hl
        inc hl
        ld e, (hl)
        inc hl
        ld d, (hl)
        inc hl
        ex (sp), hl
        add hl, de
        ex (sp), hl             ; the next entry waits on the stack
        and 0A0h
        cp 80h
        jr nz, gs5
        ld a, (hl)
        inc hl
        add a, a
        ld e, a
        ld d, 0
        add hl, de              ; the first element
gs3:    pop de
        push de
        push hl
        or a
        sbc hl, de
        pop hl
        jr nc, gs5
        call gc_consider
        inc hl
        inc hl
        jr gs3
gs5:    pop hl
        jr gs2

gc_consider:
        push hl
        push de
        ld e, (hl)
        inc hl
        ld d, (hl)
        ld a, d
        or e
        jr z, gcc1
        ld hl, (gclimit)
        or a
        sbc hl, de
        jr c, gcc1
        jr z, gcc1
        ld hl, (gcbest)
        or a
        sbc hl, de
        jr nc, gcc1
        ld (gcbest), de
        pop de
        pop hl
        ld (gcslot), hl
        ret
gcc1:   pop de
        pop hl
        ret
