# Writes a C++ source that holds the PNG files PNGS ("|"-separated) as byte
# arrays, for the window's icon bundle.
#   cmake -DOUT=file.cpp -DPNGS=a.png|b.png -P EmbedIcons.cmake
string(REPLACE "|" ";" pngs "${PNGS}")
set(arrays "")
set(table "")
set(n 0)
foreach(png ${pngs})
  file(READ ${png} hex HEX)
  string(LENGTH "${hex}" len)
  math(EXPR bytes "${len} / 2")
  string(REGEX REPLACE "(..)" "0x\\1," hex "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n" hex "${hex}")
  string(APPEND arrays "static const unsigned char png${n}[] = {\n${hex}\n};\n")
  string(APPEND table "    {png${n}, ${bytes}},\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from the rendered icons; do not edit.\n"
  "#include \"platform/posix/embedded_icons.h\"\n\nnamespace quillet {\n\n${arrays}\n"
  "const EmbeddedPng kAppIconPngs[] = {\n${table}};\n"
  "const int kAppIconPngCount = ${n};\n\n}  // namespace quillet\n")
file(RENAME ${OUT}.tmp ${OUT})
