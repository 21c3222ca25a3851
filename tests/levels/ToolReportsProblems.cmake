# Runs quillmarch-level check on the broken fixtures in FILES and expects each known problem to be
# reported on a line of its own, the good file to pass, and the exit code to be 1.
execute_process(COMMAND "${TOOL}" check "${FILES}/bad.json" "${FILES}/level9.json" "${FILES}/level8.json" "${FILES}/level7.json" "${FILES}/level6.json" "${FILES}/level_good.json"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "expected exit code 1, got ${rc}:\n${out}${err}")
endif()
set(expected
  "bad.json: the game logs: -ERROR- Malformed Level file: "
  "level9.json: the texture list names texture \"nope.png\", which is not a file in "
  "level9.json: object Food_0 names texture \"food.png\", which is not a file in "
  "level9.json: the attribute list names \"missing_tuning\", which is not a file "
  "level9.json: object Node_2 names NextID \"Ghost\", which is no object of this file"
  "level9.json: object Enemy_0 leads its patrol path to Player_0, which is not a patrol node"
  "level9.json: more than one patrol node leads to Node_2 (Node_0, Node_1)"
  "level9.json: a level needs exactly one player, this one has 2"
  "level9.json: a level needs an escape zone, this one has none"
  "level9.json: a level needs a collection zone, this one has none"
  "level9.json: two objects share the ID \"Food_0\""
  "level9.json: the food goal is 3 but the level holds only 2 food"
  "level8.json: record 2 (\"Player\") has a name that gives no number after its \"_\", so the scene start skips it"
  "level8.json: record 3 (\"Food_x\") has a name that gives no number"
  "level8.json: record 4 (\"Wall_3\") has an unknown type word, so the scene start skips it"
  "level8.json: record 7 (\"Vent_99999999999\") has a name that gives no number"
  "level8.json: vent Vent_0 is listed before the player, so the player can never enter it"
  "level7.json: food Food_0 at (-2e+09, 300) lies outside the guards' path grid"
  "level6.json: the level is too large for the guards' path grid: it would take "
  "19 problems found")
foreach(line ${expected})
  string(FIND "${out}" "${line}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "missing from the report: ${line}")
  endif()
endforeach()
# Names the factory reads fine: leading blanks, a sign, junk after the digits; vents after the player.
# Food_1 and Node_1 lie just inside the usual path grid; Node_0 and Enemy_0 lie past it, and the grid
# grows to hold them.
foreach(fine "Collection_ 5" "Escapezone_-6" "Vent_8b" "vent Vent_99999999999" "Food_1 at" "Node_1 at" "Node_0 at"
    "Enemy_0 at")
  string(FIND "${out}" "${fine}" at)
  if(NOT at EQUAL -1)
    message(SEND_ERROR "reported although the game reads it: ${fine}")
  endif()
endforeach()
string(FIND "${out}" "level_good.json" good)
if(NOT good EQUAL -1)
  message(SEND_ERROR "the good file was reported")
endif()
message(STATUS "report:\n${out}")
