# Has quillmarch-solve win a level it was not tuned on, within its default budget, and the game
# replay the run to the same win. The level is solved from its own file (as the editor's copy is),
# and replayed from a data folder of links to the game's data in which it stands as the first
# level, since the game plays only the levels of its scene list.
#   -DSOLVER=... -DGAME=... -DLEVEL=tests/solver/levels/NAME.json -DDATA=<source folder> -DWORK=<folder>
if(FAST_SOLVER AND EXISTS "${FAST_SOLVER}" AND "${FAST_SOLVER}" IS_NEWER_THAN "${SOLVER}")
  set(SOLVER "${FAST_SOLVER}")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/data/Assets/Levels")
file(CREATE_LINK "${DATA}/Shaders" "${WORK}/data/Shaders" SYMBOLIC)
file(CREATE_LINK "${DATA}/Config.lullwick" "${WORK}/data/Config.lullwick" SYMBOLIC)
file(GLOB assets RELATIVE "${DATA}/Assets" "${DATA}/Assets/*")
foreach(entry ${assets})
  if(NOT entry STREQUAL "Levels")
    file(CREATE_LINK "${DATA}/Assets/${entry}" "${WORK}/data/Assets/${entry}" SYMBOLIC)
  endif()
endforeach()
file(GLOB levels RELATIVE "${DATA}/Assets/Levels" "${DATA}/Assets/Levels/*.json")
foreach(entry ${levels})
  if(NOT entry STREQUAL "level1.json")
    file(CREATE_LINK "${DATA}/Assets/Levels/${entry}" "${WORK}/data/Assets/Levels/${entry}" SYMBOLIC)
  endif()
endforeach()
file(CREATE_LINK "${LEVEL}" "${WORK}/data/Assets/Levels/level1.json" SYMBOLIC)

execute_process(COMMAND "${SOLVER}" "${LEVEL}" "${WORK}/run.qinput" --data "${DATA}" --route "${WORK}/run.route"
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(WRITE "${WORK}/solver.log" "${out}${err}")
if(NOT rc EQUAL 0 OR NOT out MATCHES "result: won: total [0-9.]+ s")
  string(REGEX MATCH "result: [^\n]*" last "${out}")
  message(FATAL_ERROR "quillmarch-solve did not win ${LEVEL} (exit ${rc}): ${last}\n${err}")
endif()
if(NOT EXISTS "${WORK}/run.route")
  message(FATAL_ERROR "quillmarch-solve wrote no route")
endif()

set(SOLUTION "${WORK}/run.qinput")
set(DATA "${WORK}/data")
set(WORK "${WORK}/replay")
include("${CMAKE_CURRENT_LIST_DIR}/../levels/ReplaySolution.cmake")
