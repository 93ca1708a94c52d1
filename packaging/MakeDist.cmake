# Makes the Debian package and lays out the distribution folder DIST: the
# launcher LAUNCHER and its installer window INSTALLER (both stripped with
# STRIP when given), InstInfo.txt made from INFO (UTF-8) in code page 932, and
# PACKAGE_FILE from BINARY_DIR.
#   cmake -DCPACK=... -DBINARY_DIR=... -DPACKAGE_FILE=... -DLAUNCHER=... -DINSTALLER=...
#         [-DSTRIP=...] -DINFO=... -DDIST=... -P MakeDist.cmake
foreach(var IN ITEMS CPACK BINARY_DIR PACKAGE_FILE LAUNCHER INSTALLER INFO DIST)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "MakeDist.cmake: ${var} is not given")
  endif()
endforeach()

execute_process(COMMAND ${CPACK} -G DEB --config ${BINARY_DIR}/CPackConfig.cmake
                WORKING_DIRECTORY ${BINARY_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS ${BINARY_DIR}/${PACKAGE_FILE})
  message(FATAL_ERROR "cpack did not make ${BINARY_DIR}/${PACKAGE_FILE}")
endif()

file(REMOVE_RECURSE ${DIST})
file(MAKE_DIRECTORY ${DIST})
file(COPY ${BINARY_DIR}/${PACKAGE_FILE} DESTINATION ${DIST})
foreach(program IN ITEMS ${LAUNCHER} ${INSTALLER})
  get_filename_component(programName ${program} NAME)
  if(STRIP)
    execute_process(COMMAND ${STRIP} -o ${DIST}/${programName} ${program} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "cannot strip ${program} into ${DIST}")
    endif()
  else()
    file(COPY ${program} DESTINATION ${DIST})
  endif()
endforeach()

find_program(ICONV iconv REQUIRED)
execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 INPUT_FILE ${INFO}
                OUTPUT_FILE ${DIST}/InstInfo.txt RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot convert ${INFO} to code page 932")
endif()
message(STATUS "Distribution folder: ${DIST}")
