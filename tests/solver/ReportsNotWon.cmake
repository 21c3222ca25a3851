# quillmarch-solve on a run that cannot be won: it fails with exit code 1 and a last line that
# names the piece it could not reach; or, when its script has nowhere to go (-DOUT under a file),
# with exit code 3 and a last line that says so, before any search.
#   -DSOLVER=... -DLEVEL=... -DDATA=<source folder> -DWORK=<folder> -DEXPECT=<text the reason holds>
#   [-DOUT=<name under WORK>] [-DRC=<exit code>]
if(FAST_SOLVER AND EXISTS "${FAST_SOLVER}" AND "${FAST_SOLVER}" IS_NEWER_THAN "${SOLVER}")
  set(SOLVER "${FAST_SOLVER}")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
if(NOT OUT)
  set(OUT run.qinput)
endif()
if(NOT RC)
  set(RC 1)
endif()
file(WRITE "${WORK}/a-file" "not a folder\n")
execute_process(COMMAND "${SOLVER}" "${LEVEL}" "${WORK}/${OUT}" --data "${DATA}"
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(WRITE "${WORK}/solver.log" "${out}${err}")
string(REGEX MATCH "result: [^\n]*" last "${out}")
if(NOT rc EQUAL RC)
  message(FATAL_ERROR "quillmarch-solve exited ${rc}, not ${RC}: ${last}\n${err}")
endif()
if(NOT last MATCHES "^result: not won: " OR NOT last MATCHES "${EXPECT}")
  message(FATAL_ERROR "the reason given is \"${last}\", expected one holding \"${EXPECT}\"")
endif()
message(STATUS "${last}")
