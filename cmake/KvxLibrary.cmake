# kvx_library(<name> SOURCES ... [LIBS ...]): one in-house DLL with C exports.
# <NAME>_EXPORTS marks its own functions for export; the client sees plain declarations
# and links the import library, so unit tests can link recording doubles instead.
# Only include/ is public (`#include "<name>/<name>.h"`); the rest of the folder is the
# library's own.
function(kvx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_EXPORTS)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC kvx_records PRIVATE ${ARG_LIBS})
  kvx_defaults(${name})
  kvx_dist(${name})
endfunction()
