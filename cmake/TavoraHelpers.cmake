# Small helpers shared by the subsystem folders.

include(GNUInstallDirs)
include(GoogleTest)

# Adds every subfolder of the current folder that has a CMakeLists.txt.
function(tavora_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt
       AND NOT child IN_LIST TAVORA_SKIP_DIRS)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# tavora_gtest(NAME SOURCES... LIBS libs... [LABELS labels...] [ENV k=v...])
# A GoogleTest executable registered with ctest as one test per test case.
function(tavora_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest Threads::Threads)
  # Shared test helpers (waiting for states, temporary folders, the Qt application).
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  # The environment goes into the program itself (tests/support/TestMain.cpp): a list
  # handed to gtest_discover_tests as a property loses all but its first entry.
  list(JOIN T_ENV "|" extra_env)
  target_compile_definitions(${name} PRIVATE
    TAVORA_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TAVORA_TEST_BINARY_DIR="${PROJECT_BINARY_DIR}"
    TAVORA_TEST_ENV="${extra_env}")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()

# A fuzz target: libFuzzer when the compiler is clang, otherwise a driver that replays
# the files or folders given on the command line (so the targets build and run everywhere).
function(tavora_fuzz name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    target_link_libraries(${name} PRIVATE tavora_fuzz_replay)
  endif()
endfunction()

# Runs a fuzz target over its seed corpus plus random mutations as a ctest test.
function(tavora_fuzz_smoke name corpus)
  if(TAVORA_BUILD_TESTS AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_test(NAME ${name}_smoke COMMAND ${name} --random 20000 --seed 7 ${corpus})
    set_tests_properties(${name}_smoke PROPERTIES LABELS fuzz TIMEOUT 600)
  endif()
endfunction()
