# The demos of the attract sequence: demorec records every demo that
# content/data/demos.txt names (lines "3 LEVEL SEED") into data\demoN.dat and
# data\demoN.rnd of the data tree, by the bot, through the game's own demo
# path. The game does not read the third number of a demo line; here it is
# the seed of the recording's random table, chosen for a demo worth
# watching (demorec --tries shows what other seeds give). Included by
# tools/CMakeLists.txt after the levels, whose files the recordings read.
set(_demo_list ${CMAKE_SOURCE_DIR}/content/data/demos.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_demo_list})
file(STRINGS ${_demo_list} _demo_lines)
set(_demo_outputs "")
foreach(_line ${_demo_lines})
  if(NOT _line MATCHES "^3 ([0-9]+) ([0-9]+)")
    continue()
  endif()
  set(_level ${CMAKE_MATCH_1})
  set(_seed ${CMAKE_MATCH_2})
  set(_out ${PS_DATATREE}/data/demo${_level})
  if(_out IN_LIST _demo_outputs)
    continue()
  endif()
  set(_lvl ${PS_DATATREE}/level/level${_level})
  add_custom_command(
    OUTPUT ${_out}.dat ${_out}.rnd
    COMMAND demorec --level ${_level} --seed ${_seed} --quiet
    WORKING_DIRECTORY ${PS_DATATREE}
    DEPENDS demorec ${_lvl}.def ${_lvl}.map ${_lvl}.txt
    COMMENT "Recording the demo of level ${_level}")
  list(APPEND _demo_outputs ${_out})
  list(APPEND PS_DATATREE_FILES ${_out}.dat ${_out}.rnd)
  list(APPEND _demo_files ${_out}.dat ${_out}.rnd)
endforeach()
add_custom_target(demo_data DEPENDS ${_demo_files})
