# Run first by every installation (cmake --install, the install and package
# targets, cpack): brings the targets whose files are installed up to date,
# in parallel, through the target PennaInstalled. Installing thus never
# builds the test programs, and never installs a program older than its
# sources.
#   set(PN_CMAKE ...) set(PN_BUILD_DIR ...) include(BuildInstalled.cmake)
foreach(var IN ITEMS PN_CMAKE PN_BUILD_DIR)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "BuildInstalled.cmake: ${var} is not given")
  endif()
endforeach()

if(DEFINED ENV{CMAKE_BUILD_PARALLEL_LEVEL} AND "$ENV{CMAKE_BUILD_PARALLEL_LEVEL}" MATCHES "^[1-9][0-9]*$")
  set(jobs $ENV{CMAKE_BUILD_PARALLEL_LEVEL})
else()
  cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
  if(NOT jobs MATCHES "^[1-9][0-9]*$")
    set(jobs 1)
  endif()
endif()
# The make that runs an install target passes its job settings on; this
# build takes its own.
execute_process(COMMAND ${PN_CMAKE} -E env --unset=MAKEFLAGS --unset=MFLAGS ${PN_CMAKE} --build
                        ${PN_BUILD_DIR} --target PennaInstalled --parallel ${jobs}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "building what is installed failed in ${PN_BUILD_DIR}")
endif()
