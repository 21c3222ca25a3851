# Configures tests/install/parent, which adds the game with add_subdirectory: the game's own paths
# must not be the parent's, and its tests and benchmarks stay off unless the parent asks for them.
#   cmake -DSOURCE=<game source> -DWORK=<folder> -P CheckParentProject.cmake
file(REMOVE_RECURSE ${WORK})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/tests/install/parent -B ${WORK} -G Ninja -DQM_GAME_SOURCE=${SOURCE}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the parent project did not configure:\n${out}\n${err}")
endif()
file(STRINGS ${WORK}/CMakeCache.txt tests REGEX "^QM_TESTS:")
file(STRINGS ${WORK}/CMakeCache.txt bench REGEX "^QM_BENCH:")
if(NOT tests STREQUAL "QM_TESTS:BOOL=OFF" OR NOT bench STREQUAL "QM_BENCH:BOOL=OFF")
  message(FATAL_ERROR "tests and benchmarks default on under a parent project: ${tests} ${bench}")
endif()
file(READ ${WORK}/build.ninja ninja)
foreach(target quillmarch quillmarch_core)
  string(FIND "${ninja}" "build quillmarch/${target}" at)
  if(at EQUAL -1)
    string(FIND "${ninja}" "build quillmarch/lib${target}.a" at)
  endif()
  if(at EQUAL -1)
    message(FATAL_ERROR "the parent project's build has no ${target}")
  endif()
endforeach()
