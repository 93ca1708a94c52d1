# Fails when one of the programs given needs libtiff, fontconfig or FreeType
# at start (a NEEDED entry): the library loads them at first use, and a
# program that links them again pays for loading them in every process.
# EXPORTING names a program linked with -rdynamic: it must not export the
# library's definitions of their functions, which would then stand in for
# the real ones in every other library of the process.
#   cmake -DREADELF=<readelf> -DFILES=<file>|<file>... [-DEXPORTING=<file>]
#         -P CheckNeeded.cmake
string(REPLACE "|" ";" files "${FILES}")
if(NOT files)
  message(FATAL_ERROR "no programs to check")
endif()
set(failed)
foreach(file IN LISTS files)
  execute_process(COMMAND ${READELF} -d ${file} RESULT_VARIABLE result OUTPUT_VARIABLE dynamic
                  ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot read ${file}: ${errors}")
  endif()
  if(NOT dynamic MATCHES "\\(NEEDED\\)")
    message(FATAL_ERROR "${file} lists no NEEDED libraries: not a dynamic program?")
  endif()
  string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[(libtiff|libfontconfig|libfreetype)[^]\n]*\\]"
         needed "${dynamic}")
  if(needed)
    list(APPEND failed "${file}: ${needed}")
  else()
    message(STATUS "${file}: none of them needed at start")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "loaded at start, not at first use:\n${failed}")
endif()

if(EXPORTING)
  execute_process(COMMAND ${READELF} --dyn-syms -W ${EXPORTING} RESULT_VARIABLE result
                  OUTPUT_VARIABLE symbols ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot read ${EXPORTING}: ${errors}")
  endif()
  if(NOT symbols MATCHES " main\n")
    message(FATAL_ERROR "${EXPORTING} exports no main: not linked with -rdynamic?")
  endif()
  # A defined symbol has a section number where an undefined one has UND.
  string(REGEX MATCHALL "\n[^\n]* [0-9]+ (TIFF|Fc|FT_)[A-Za-z_]*" exported "${symbols}")
  if(exported)
    message(FATAL_ERROR "${EXPORTING} exports the library's own definitions:${exported}")
  endif()
  message(STATUS "${EXPORTING}: exports none of their functions")
endif()
