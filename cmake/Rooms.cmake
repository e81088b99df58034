# Each folder of the program is one room: one static library, linked only to the rooms below it
# (scripts/check-layering holds the includes, and the symbols each library needs, to the same rule).
#
#   glimmer_room(NAME [USES room...] [EXCLUDE file...])
#
# builds the library glimmer_NAME from every source file in the calling folder but the excluded.
function(glimmer_room name)
  cmake_parse_arguments(PARSE_ARGV 1 ROOM "" "" "USES;EXCLUDE")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(file ${ROOM_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  endforeach()
  add_library(glimmer_${name} STATIC ${sources})
  target_include_directories(glimmer_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_definitions(glimmer_${name} PUBLIC QT_NO_KEYWORDS)
  set(uses Qt6::Core Qt6::Gui Qt6::Widgets)
  foreach(room ${ROOM_USES})
    list(APPEND uses glimmer_${room})
  endforeach()
  target_link_libraries(glimmer_${name} PUBLIC ${uses})
endfunction()
