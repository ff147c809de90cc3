# The plug-in library ZKPW31C.so: named like the host expects it (no "lib"
# prefix), exporting nothing but GetController. The plug-in's static library
# is linked whole, because window classes are created by name and nothing
# else refers to them.
add_library(ZKPW31C SHARED ${CMAKE_CURRENT_LIST_DIR}/ZKPW31C.cpp)
set_target_properties(ZKPW31C PROPERTIES PREFIX "" SUFFIX ".so")
target_compile_definitions(ZKPW31C PRIVATE KW_PLUGIN_LIBRARY_MAIN)
# kw_vcl and kw_rtl come in through kw_plugin (CMake allows one link feature
# per library); the control classes of kw_vcl are kept whole by the archive
# flags around it.
target_link_libraries(ZKPW31C PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,kw_plugin>")
target_link_options(ZKPW31C PRIVATE
  "LINKER:--whole-archive" "$<TARGET_FILE:kw_vcl>" "LINKER:--no-whole-archive")
set(KW_PLUGIN_EXPORTS ${CMAKE_CURRENT_BINARY_DIR}/ZKPW31C.map)
file(WRITE ${KW_PLUGIN_EXPORTS} "{\n  global: GetController;\n  local: *;\n};\n")
target_link_options(ZKPW31C PRIVATE "LINKER:--version-script=${KW_PLUGIN_EXPORTS}" "LINKER:--no-undefined")
set_property(TARGET ZKPW31C APPEND PROPERTY LINK_DEPENDS ${KW_PLUGIN_EXPORTS})
