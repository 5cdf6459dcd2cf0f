# Assembles the built-in ROM images from firmware/ with pasmo and turns each
# binary into a C++ source of constant data. The build fails when an image
# outgrows its size.
find_program(PASMO pasmo)
set(VZ_GEN_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${VZ_GEN_DIR}/firmware)
set(VZ_FIRMWARE_SOURCES "")

# vz_embed_binary(<symbol> <binary> <size>)
function(vz_embed_binary symbol binary size)
  set(out ${VZ_GEN_DIR}/firmware/${symbol}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DSYMBOL=${symbol} -DINPUT=${binary} -DSIZE=${size} -DOUTPUT=${out}
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedBinary.cmake
    DEPENDS ${binary} ${CMAKE_SOURCE_DIR}/cmake/EmbedBinary.cmake
    COMMENT "Embedding ${symbol}")
  set(VZ_FIRMWARE_SOURCES ${VZ_FIRMWARE_SOURCES} ${out} PARENT_SCOPE)
endfunction()

if(EXISTS ${CMAKE_SOURCE_DIR}/firmware/Firmware.cmake)
  include(${CMAKE_SOURCE_DIR}/firmware/Firmware.cmake)
endif()
