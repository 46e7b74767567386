# cmake -DOUT=FILE -DICON_DIR=DIR -DSIZES=16,32,48 -P embed_icons.cmake
# Writes a C++ source with the bytes of DIR/voxlet-SIZE.png for each size and
# a table of them (see wx_icons.h).
string(REPLACE "," ";" SIZES "${SIZES}")
set(body "// Generated from resources/icons by embed_icons.cmake. Do not edit.\n")
string(APPEND body "#include <cstddef>\n\n#include \"ui/wx/wx_icons.h\"\n\nnamespace {\n")
set(table "")
foreach(size IN LISTS SIZES)
  file(READ ${ICON_DIR}/voxlet-${size}.png hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR bytes "${hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n"
         hex "${hex}")
  string(APPEND body "const unsigned char kIcon${size}[] = {\n${hex}\n};\n")
  string(APPEND table "    {${size}, kIcon${size}, ${bytes}},\n")
endforeach()
string(APPEND body "} // namespace\n\nconst IconPng kProgramIconPngs[] = {\n${table}};\n")
string(APPEND body "const std::size_t kProgramIconPngCount = sizeof(kProgramIconPngs) / sizeof(kProgramIconPngs[0]);\n")
file(WRITE ${OUT}.tmp "${body}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
