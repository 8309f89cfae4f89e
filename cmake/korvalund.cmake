# Shared helpers of the build.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# The library's texts are written in UTF-8 and become Shift-JIS bytes at run time.
# clang knows no execution character set but UTF-8: its builds (the libFuzzer binaries) keep UTF-8
# texts, which changes what the log writes and nothing that is fuzzed.
function(korvalund_shift_jis_strings target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
endfunction()

# Every source below DIR (recursively) whose path does not match EXCLUDE (a regex, may be empty).
function(korvalund_sources out dir exclude)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
  if(exclude)
    list(FILTER found EXCLUDE REGEX "${exclude}")
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

option(KORVALUND_UNITY_TESTS "Compile the test executables in batches" ON)

# One test executable per test folder; every test in it carries the folder's label.
function(korvalund_test_folder label dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${dir}/*_test.cpp")
  list(FILTER srcs EXCLUDE REGEX "/live/")
  korvalund_test_executable(${label}_tests ${label} ${dir} "${srcs}" ${ARGN})
endfunction()

# Tests in <dir>/live/ run the real library and platform (no test doubles) in an executable of their own.
function(korvalund_live_test_folder label dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${dir}/live/*_test.cpp")
  korvalund_test_executable(${label}_live_tests ${label} ${dir} "${srcs}" ${ARGN})
endfunction()

function(korvalund_test_executable target label dir srcs)
  if(NOT srcs)
    return()
  endif()
  add_executable(${target} ${srcs})
  korvalund_shift_jis_strings(${target})
  # The test files are compiled in batches (unity builds; -DKORVALUND_UNITY_TESTS=OFF compiles them one
  # by one), so the test framework's headers are parsed once a batch. Not the game's tests or the
  # libraries: those tests replace library calls with recording doubles at link time, which a batched
  # library would bind inside itself.
  if(KORVALUND_UNITY_TESTS AND NOT label STREQUAL "game")
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON)
    # gcc takes the batched files for headers and warns about fixtures of the unnamed namespace there.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
  endif()
  target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    KORVALUND_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KORVALUND_TEST_DIR="${dir}")
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${label}
    DISCOVERY_TIMEOUT 60)
endfunction()
