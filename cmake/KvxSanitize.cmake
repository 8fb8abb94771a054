# AddressSanitizer and UndefinedBehaviorSanitizer for the native build's own targets.
# Any undefined behaviour aborts, so a test run that hits it fails instead of printing a note.
option(KVX_SANITIZE "Build our native targets with ASan and UBSan" OFF)

set(KVX_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)

# kvx_sanitize(<target>...): instruments the targets when KVX_SANITIZE is on. Link options are
# public so that whatever links a sanitized library gets the runtime too.
function(kvx_sanitize)
  if(NOT KVX_SANITIZE)
    return()
  endif()
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE ${KVX_SANITIZE_FLAGS})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      target_link_options(${target} INTERFACE -fsanitize=address,undefined)
    else()
      target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
  endforeach()
endfunction()
