# quillmarch-solve on a level that cannot be won: it fails with exit code 1 and a last line that
# names the piece it could not reach.
#   -DSOLVER=... -DLEVEL=... -DDATA=<source folder> -DWORK=<folder> -DEXPECT=<text the reason holds>
if(FAST_SOLVER AND EXISTS "${FAST_SOLVER}" AND "${FAST_SOLVER}" IS_NEWER_THAN "${SOLVER}")
  set(SOLVER "${FAST_SOLVER}")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${SOLVER}" "${LEVEL}" "${WORK}/run.qinput" --data "${DATA}"
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(WRITE "${WORK}/solver.log" "${out}${err}")
string(REGEX MATCH "result: [^\n]*" last "${out}")
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "quillmarch-solve exited ${rc} on a level that cannot be won: ${last}\n${err}")
endif()
if(NOT last MATCHES "^result: not won: " OR NOT last MATCHES "${EXPECT}")
  message(FATAL_ERROR "the reason given is \"${last}\", expected one holding \"${EXPECT}\"")
endif()
message(STATUS "${last}")
