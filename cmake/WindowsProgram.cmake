# The Windows program: one quillet.exe for the GUI subsystem (no console
# window), with the icon, the version and the manifest as resources and no
# DLL beside it.  Included by the top-level list for a Windows target.
enable_language(RC)
target_compile_definitions(quillet_core PUBLIC QUILLET_VERSION="${PROJECT_VERSION}")
set_target_properties(quillet PROPERTIES WIN32_EXECUTABLE ON)

# The icon: the hand-drawn SVG rendered in every size Windows asks for and
# put together in one .ico.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
set(win_dir ${CMAKE_BINARY_DIR}/windows)
set(svg ${CMAKE_SOURCE_DIR}/data/icons/quillet.svg)
set(pngs "")
foreach(size 16 20 24 32 40 48 64 128 256)
  add_custom_command(OUTPUT ${win_dir}/icon-${size}.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${win_dir}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${win_dir}/icon-${size}.png ${svg}
    DEPENDS ${svg} VERBATIM)
  list(APPEND pngs ${win_dir}/icon-${size}.png)
endforeach()
add_custom_command(OUTPUT ${win_dir}/quillet.ico
  COMMAND ${IMAGEMAGICK_CONVERT} ${pngs} ${win_dir}/quillet.ico
  DEPENDS ${pngs} VERBATIM)

string(REPLACE "." "," QUILLET_VERSION_COMMAS "${PROJECT_VERSION}")
configure_file(${CMAKE_SOURCE_DIR}/src/platform/windows/quillet.rc.in ${win_dir}/quillet.rc @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/src/platform/windows/quillet.manifest.in
               ${win_dir}/quillet.manifest @ONLY)
set_source_files_properties(${win_dir}/quillet.rc PROPERTIES
  OBJECT_DEPENDS "${win_dir}/quillet.ico;${win_dir}/quillet.manifest")
target_sources(quillet PRIVATE ${win_dir}/quillet.rc)
