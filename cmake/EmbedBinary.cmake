# cmake -DSYMBOL=name -DINPUT=file.bin -DSIZE=n -DOUTPUT=file.cpp -P EmbedBinary.cmake
file(SIZE ${INPUT} actual)
if(actual GREATER SIZE)
  message(FATAL_ERROR "${INPUT} is ${actual} bytes, more than the ${SIZE} bytes of ${SYMBOL}")
endif()
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n#include <cstdint>\n#include <cstddef>\n"
  "extern const uint8_t ${SYMBOL}[${SIZE}];\n"
  "extern const size_t ${SYMBOL}Used;\n"
  "const uint8_t ${SYMBOL}[${SIZE}] = {\n${bytes}};\n"
  "const size_t ${SYMBOL}Used = ${actual};\n")
