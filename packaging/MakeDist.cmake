# Makes the Debian package and lays out the distribution folder DIST: the
# launcher LAUNCHER and its installer window INSTALLER (both stripped with
# STRIP when given), InstInfo.txt made from INFO (UTF-8) in code page 932,
# PACKAGE_FILE from BINARY_DIR, the start script START, and what the two
# programs need from the toolkit on a computer without it: the xcb platform
# plugin PLUGIN in plugins/platforms/, a qt.conf that points the toolkit
# there, and in lib/ every library the programs and the plugin need that is
# not named in BASE (dist-base-libraries.txt). The programs find lib/ through
# their own search path ($ORIGIN/lib, launcher/CMakeLists.txt). Then packs
# the folder into ARCHIVE with TAR, as the folder ARCHIVE_ROOT, execute bits
# kept.
#   cmake -DCPACK=... -DBINARY_DIR=... -DPACKAGE_FILE=... -DLAUNCHER=... -DINSTALLER=...
#         [-DSTRIP=...] -DINFO=... -DSTART=... -DPLUGIN=... -DBASE=... -DDIST=...
#         -DTAR=... -DARCHIVE=... -DARCHIVE_ROOT=... -P MakeDist.cmake
foreach(var IN ITEMS CPACK BINARY_DIR PACKAGE_FILE LAUNCHER INSTALLER INFO START PLUGIN BASE DIST
                     TAR ARCHIVE ARCHIVE_ROOT)
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
  # The build's search path may end in an empty entry, which the loader
  # takes as the current folder: the copy searches lib/ beside it alone.
  file(RPATH_SET FILE ${DIST}/${programName} NEW_RPATH "\$ORIGIN/lib")
endforeach()

find_program(ICONV iconv REQUIRED)
execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 INPUT_FILE ${INFO}
                OUTPUT_FILE ${DIST}/InstInfo.txt RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot convert ${INFO} to code page 932")
endif()

# The start script, for a copy of the folder whose files lost their execute
# bits (a FAT stick): sh Fennick.sh.
file(COPY ${START} DESTINATION ${DIST}
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                      WORLD_EXECUTE)

# The toolkit: the platform plugin and the libraries outside the base set.
file(MAKE_DIRECTORY ${DIST}/plugins/platforms ${DIST}/lib)
file(COPY ${PLUGIN} DESTINATION ${DIST}/plugins/platforms)
file(WRITE ${DIST}/qt.conf "[Paths]\nPrefix=.\nPlugins=plugins\n")
file(STRINGS ${BASE} baseLines REGEX "^[^#]")
set(baseNames)
foreach(line IN LISTS baseLines)
  string(REGEX REPLACE " .*" "" soname "${line}")
  string(REPLACE "." "\\." soname "${soname}")
  string(REPLACE "+" "\\+" soname "${soname}")
  list(APPEND baseNames "^${soname}$")
endforeach()
file(GET_RUNTIME_DEPENDENCIES
     EXECUTABLES ${LAUNCHER} ${INSTALLER}
     MODULES ${PLUGIN}
     PRE_EXCLUDE_REGEXES ${baseNames}
     RESOLVED_DEPENDENCIES_VAR bundled
     UNRESOLVED_DEPENDENCIES_VAR unresolved)
if(unresolved)
  message(FATAL_ERROR "libraries of the distribution folder not found: ${unresolved}")
endif()
list(SORT bundled)
foreach(library IN LISTS bundled)
  get_filename_component(name ${library} NAME)
  file(REAL_PATH ${library} real)
  file(COPY_FILE ${real} ${DIST}/lib/${name} ONLY_IF_DIFFERENT)
  message(STATUS "Bundled: ${name}")
endforeach()

get_filename_component(distParent ${DIST} DIRECTORY)
get_filename_component(distName ${DIST} NAME)
file(REMOVE ${ARCHIVE})
execute_process(COMMAND ${TAR} -czf ${ARCHIVE} --owner=0 --group=0 --sort=name
                        --transform "s,^${distName},${ARCHIVE_ROOT}," ${distName}
                WORKING_DIRECTORY ${distParent} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot pack ${DIST} into ${ARCHIVE}")
endif()
message(STATUS "Distribution folder: ${DIST}, packed as ${ARCHIVE}")
