# Replay runners: every fuzz target linked with ReplayMain.cpp instead of
# libFuzzer, registered with CTest to run the target's seed corpus (written
# at test time by the runner itself) and the inputs kept under
# tests/fuzz/crashes/<name>/. Included from
# tests/CMakeLists.txt, so they build with the normal and sanitizer builds.
set(PN_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})

function(pn_fuzz_target name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MAX_LEN" "")
  foreach(lib IN LISTS arg_UNPARSED_ARGUMENTS)
    if(NOT TARGET ${lib})
      message(STATUS "fuzz target ${name} not built: no library ${lib} in this build")
      return()
    endif()
  endforeach()
  add_executable(fuzz_replay_${name} ${PN_FUZZ_DIR}/fuzz_${name}.cpp ${PN_FUZZ_DIR}/ReplayMain.cpp)
  target_link_libraries(fuzz_replay_${name} PRIVATE ${arg_UNPARSED_ARGUMENTS})
  set_target_properties(fuzz_replay_${name} PROPERTIES AUTOMOC OFF)
  # The seeds are written as files and read back, as the fuzzer reads them;
  # with MAX_LEN each must fit it, so that the fuzzer cuts none of them.
  set(seeds ${CMAKE_CURRENT_BINARY_DIR}/fuzz-seeds/${name})
  set(limit)
  if(arg_MAX_LEN)
    set(limit --max-len ${arg_MAX_LEN})
  endif()
  add_test(NAME fuzz_replay.${name}
           COMMAND fuzz_replay_${name} --write-seeds ${seeds} ${limit} --allow-missing
                   ${seeds} ${PN_FUZZ_DIR}/crashes/${name})
  set_tests_properties(fuzz_replay.${name} PROPERTIES TIMEOUT 300)
endfunction()

include(${PN_FUZZ_DIR}/Targets.cmake)
