# Compile and link options for TAVORA_SANITIZE ("address,undefined", "thread", ...).
# They go on every target of the build through the directory-wide options, so the
# program, the tests and the audio modules that the program dlopen()s all use the one
# shared sanitizer run-time (GCC links libasan/libtsan/libubsan as shared libraries, so
# a module built with -Wl,--no-undefined still resolves the run-time's symbols).
if(NOT TAVORA_SANITIZE)
  return()
endif()

string(REPLACE "," ";" _tavora_sanitizers "${TAVORA_SANITIZE}")
foreach(_s IN LISTS _tavora_sanitizers)
  if(NOT _s MATCHES "^(address|undefined|thread|leak)$")
    message(FATAL_ERROR "TAVORA_SANITIZE: unknown sanitizer '${_s}' (address, undefined, thread, leak)")
  endif()
endforeach()
if("thread" IN_LIST _tavora_sanitizers AND ("address" IN_LIST _tavora_sanitizers OR "leak" IN_LIST _tavora_sanitizers))
  message(FATAL_ERROR "TAVORA_SANITIZE: thread cannot be combined with address or leak")
endif()

set(_tavora_flags -fsanitize=${TAVORA_SANITIZE} -fno-omit-frame-pointer -g)
if("undefined" IN_LIST _tavora_sanitizers)
  # Report undefined behaviour and fail the test instead of carrying on silently.
  list(APPEND _tavora_flags -fno-sanitize-recover=undefined)
endif()
add_compile_options(${_tavora_flags})
add_link_options(-fsanitize=${TAVORA_SANITIZE})
message(STATUS "Sanitizers: ${TAVORA_SANITIZE}")
