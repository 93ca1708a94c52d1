# Adds the development tool font_readings (tools/font-readings.cpp) to a
# tree of the library, this one or another checkout: configure that tree
# with
#   -DCMAKE_PROJECT_INCLUDE=<this file> -DPN_FONT_READINGS_SOURCE=<the .cpp>
# and build the target font_readings. CMake includes the file after the
# top-level project() call; the target is added once the top-level
# CMakeLists.txt has been read, when the tree's library target exists.
# tools/check-font-readings.sh does all this for two trees.
include_guard(GLOBAL)
if(NOT PN_FONT_READINGS_SOURCE)
  set(PN_FONT_READINGS_SOURCE ${CMAKE_CURRENT_LIST_DIR}/font-readings.cpp)
endif()
function(pn_add_font_readings)
  add_executable(font_readings ${PN_FONT_READINGS_SOURCE})
  target_link_libraries(font_readings PRIVATE Pennaform)
  target_include_directories(font_readings PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(font_readings PROPERTIES AUTOMOC OFF)
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL pn_add_font_readings)
