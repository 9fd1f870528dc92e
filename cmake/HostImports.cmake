# Import libraries for the host's two DLLs, made from the .def files in
# host/ that describe the contract. The plug-in links these and never the
# stand-in host's own import libraries, so it cannot depend on our stand-in.
function(pelorin_host_import_library target def_file)
  set(out ${CMAKE_BINARY_DIR}/imports/lib${target}.a)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/imports
    COMMAND ${CMAKE_DLLTOOL} --kill-at -d ${def_file} -l ${out}
    DEPENDS ${def_file}
    COMMENT "Import library for ${def_file}")
  add_custom_target(${target}_def DEPENDS ${out})
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE ${out})
  add_dependencies(${target} ${target}_def)
endfunction()

pelorin_host_import_library(host_starter ${CMAKE_SOURCE_DIR}/host/starter.def)
pelorin_host_import_library(host_mirelex ${CMAKE_SOURCE_DIR}/host/MirelEx.def)
