# kw_add_form_resources(<target> <folder>)
#
# Compiles every <folder>/*.dfm form description into <target>: each file
# becomes a generated source that registers its text under the class named by
# the file ("forms/TfrmOption.dfm" -> "TfrmOption") when the program starts.
# Give an executable, a shared library or an OBJECT library: object files of a
# static library that nothing references are left out by the linker, and their
# registrations with them.
function(kw_add_form_resources target folder)
  file(GLOB descriptions CONFIGURE_DEPENDS ${folder}/*.dfm)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedForm.cmake)
  foreach(dfm ${descriptions})
    get_filename_component(stem ${dfm} NAME_WE)
    file(RELATIVE_PATH source ${CMAKE_SOURCE_DIR} ${dfm})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms/${stem}_dfm.cpp)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${dfm} -DOUTPUT=${out} -DCLASS_NAME=${stem}
              -DSOURCE_NAME=${source} -P ${script}
      DEPENDS ${dfm} ${script}
      COMMENT "Embedding form description ${source}"
      VERBATIM)
    target_sources(${target} PRIVATE ${out})
  endforeach()
endfunction()
