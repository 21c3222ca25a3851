# quillmarch-level check replays a level's recorded winning run: the committed alley run passes (found
# by convention), a run cut short after its first steps is reported as no longer winning, and a run
# whose header promises another rank is reported with the rank it earns.
#   -DTOOL=... -DLEVEL=Assets/Levels/level1.json -DSOLUTION=tests/solutions/level1.qinput -DWORK=<folder>
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

execute_process(COMMAND "${TOOL}" check --solutions "${LEVEL}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the committed run was reported (${rc}):\n${out}${err}")
endif()

file(STRINGS "${SOLUTION}" lines)
list(SUBLIST lines 0 40 head)
list(JOIN head "\n" cut)
file(WRITE "${WORK}/cut.qinput" "${cut}\n")
execute_process(COMMAND "${TOOL}" check --solution "${WORK}/cut.qinput" "${LEVEL}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(FIND "${out}" "cut.qinput: the run no longer wins" at)
if(NOT rc EQUAL 1 OR at EQUAL -1)
  message(FATAL_ERROR "a cut run was not reported as lost (${rc}):\n${out}${err}")
endif()

file(READ "${SOLUTION}" whole)
string(REGEX REPLACE "rank s" "rank b" other "${whole}")
file(WRITE "${WORK}/other.qinput" "${other}")
execute_process(COMMAND "${TOOL}" check --solution "${WORK}/other.qinput" "${LEVEL}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(FIND "${out}" "other.qinput: the run wins with rank s" at)
if(NOT rc EQUAL 1 OR at EQUAL -1)
  message(FATAL_ERROR "a run with the wrong rank was not reported (${rc}):\n${out}${err}")
endif()
message(STATUS "a lost run and a wrong rank are reported")
