# The game's levels: levelgen turns every content_src/levels/levelN.lvl,
# with the art declarations of content_src/levels/common.inc, into
# level\levelN.def, level\levelN.map and level\levelN.txt of the data tree.
# Included by tools/CMakeLists.txt after the art and content/ are staged in
# ${PS_DATATREE}; the files made here join PS_DATATREE_FILES so that the
# archive and the copy beside the executable follow every change.
set(_levels_src ${CMAKE_SOURCE_DIR}/content_src/levels)
file(GLOB _level_sources CONFIGURE_DEPENDS ${_levels_src}/level*.lvl)
list(SORT _level_sources)
set(_level_outputs "")
set(_level_names "")
foreach(_lvl ${_level_sources})
  get_filename_component(_name ${_lvl} NAME_WE)
  set(_out ${PS_DATATREE}/level/${_name})
  add_custom_command(
    OUTPUT ${_out}.def ${_out}.map ${_out}.txt
    COMMAND levelgen -i ${_levels_src}/common.inc -o ${PS_DATATREE}/level ${_lvl}
    DEPENDS levelgen ${_lvl} ${_levels_src}/common.inc
    COMMENT "Building ${_name} from its source")
  list(APPEND _level_outputs ${_out}.def ${_out}.map ${_out}.txt)
  list(APPEND _level_names ${_name})
endforeach()
list(APPEND PS_DATATREE_FILES ${_level_outputs})
add_custom_target(level_data DEPENDS ${_level_outputs})

# Tests over the built data tree (the game_data step makes it): every level
# loads cleanly with its pictures, and the rules' bot can finish it from
# the start (rulesim reads the level from the data folder it runs in).
if(PS_TESTS)
  enable_testing()
  foreach(_name ${_level_names})
    add_test(NAME levelcheck_${_name}
             COMMAND levelcheck -C ${PS_DATATREE} -a level/${_name}.def level/${_name}.map)
    set_tests_properties(levelcheck_${_name} PROPERTIES ENVIRONMENT "PS_NO_BOXES=1" LABELS levels)
    if(TARGET rulesim)
      add_test(NAME levelbot_${_name}
               COMMAND rulesim --level level/${_name}.def --bot
               WORKING_DIRECTORY ${PS_DATATREE})
      set_tests_properties(levelbot_${_name} PROPERTIES ENVIRONMENT "PS_NO_BOXES=1" LABELS levels TIMEOUT 300)
    endif()
  endforeach()
endif()
