# Built-in ROM images. Placeholder until our BASIC and character sets land:
# the BASIC image is a tiny program that halts; the character sets are blank.
if(NOT PASMO)
  message(FATAL_ERROR "pasmo (Debian package pasmo) is needed to assemble the built-in ROM")
endif()

set(VZ_FW_OUT ${VZ_GEN_DIR}/firmware)
add_custom_command(OUTPUT ${VZ_FW_OUT}/basic.bin
  COMMAND ${PASMO} --bin ${CMAKE_SOURCE_DIR}/firmware/basic.asm ${VZ_FW_OUT}/basic.bin ${VZ_FW_OUT}/basic.lst
  DEPENDS ${CMAKE_SOURCE_DIR}/firmware/basic.asm
  COMMENT "Assembling the built-in BASIC ROM")
file(WRITE ${VZ_FW_OUT}/charrom.bin "")
file(WRITE ${VZ_FW_OUT}/charxrom.bin "")
vz_embed_binary(BuiltinBasicRom ${VZ_FW_OUT}/basic.bin 16384)
vz_embed_binary(BuiltinCharRom ${VZ_FW_OUT}/charrom.bin 768)
vz_embed_binary(BuiltinExtCharRom ${VZ_FW_OUT}/charxrom.bin 4096)
