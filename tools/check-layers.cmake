# Checks that every file of the library includes only headers of its own
# layer and of the layers below it (cmake/Layers.cmake). Run by the build
# before any layer compiles; fails naming each file, include and rule broken.
# An include is checked as the compiler resolves it: quotes or angle
# brackets, a path beside the including file or from the root, "." and ".."
# resolved; a header that is no file of the tree (the system's) is not a
# layer's.
#
#   cmake -DPN_LAYER_ROOT=<source root> [-DPN_LAYER_STAMP=<file>] -P tools/check-layers.cmake
#
# PN_LAYER_ROOT defaults to the folder above this script; the layer table is
# read from <root>/cmake/Layers.cmake. The stamp file is touched on success.
cmake_minimum_required(VERSION 3.22)

if(NOT PN_LAYER_ROOT)
  get_filename_component(PN_LAYER_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()
include("${PN_LAYER_ROOT}/cmake/Layers.cmake")

# The number of a layer, bottom 0.
function(pn_layer_rank layer out)
  list(FIND PN_LAYERS "${layer}" rank)
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

# "object and platform" for the object layer: what a layer may include.
function(pn_layer_allowed layer out)
  pn_layer_rank(${layer} rank)
  set(names)
  foreach(other IN LISTS PN_LAYERS)
    pn_layer_rank(${other} otherRank)
    if(otherRank LESS_EQUAL rank)
      list(PREPEND names ${other})
    endif()
  endforeach()
  list(JOIN names ", " text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(problems)
set(seenExceptions)

# The header an include line makes the compiler read, as a path relative to
# the root; "" when it is no file of the tree (a system or library header).
# The search is the compiler's: "x" beside the including file first, then
# from the root (the one include folder of the build); <x> from the root
# only. "." and ".." are resolved, so "pdf/object/../composite/X.h" is
# pdf/composite/X.h. The written form is set in written.
function(pn_included_path file line out written_out)
  string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^\">]*)[\">].*$" "\\1;\\2" parts
                       "${line}")
  list(GET parts 0 form)
  list(GET parts 1 written)
  set(candidates)
  if(form STREQUAL "\"")
    get_filename_component(dir "${file}" DIRECTORY)
    list(APPEND candidates "${PN_LAYER_ROOT}/${dir}/${written}")
  endif()
  list(APPEND candidates "${PN_LAYER_ROOT}/${written}")
  set(found "")
  foreach(candidate IN LISTS candidates)
    get_filename_component(absolute "${candidate}" ABSOLUTE)
    if(EXISTS "${absolute}" AND NOT IS_DIRECTORY "${absolute}")
      file(RELATIVE_PATH relative "${PN_LAYER_ROOT}" "${absolute}")
      if(NOT relative MATCHES "^\\.\\./")
        set(found "${relative}")
      endif()
      break()
    endif()
  endforeach()
  if(form STREQUAL "<")
    set(written "<${written}>")
  else()
    set(written "\"${written}\"")
  endif()
  set(${out} "${found}" PARENT_SCOPE)
  set(${written_out} "${written}" PARENT_SCOPE)
endfunction()

# How a problem names the include: the header, and the line as written when
# that differs.
function(pn_include_text header written out)
  if(written STREQUAL "\"${header}\"")
    set(${out} "${written}" PARENT_SCOPE)
  else()
    set(${out} "\"${header}\" (written ${written})" PARENT_SCOPE)
  endif()
endfunction()

pn_layer_files("${PN_LAYER_ROOT}" files)
foreach(file IN LISTS files)
  pn_layer_of("${file}" layer)
  pn_layer_rank(${layer} rank)
  file(STRINGS "${PN_LAYER_ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    pn_included_path("${file}" "${line}" header written)
    if(header STREQUAL "")
      continue()
    endif()
    if("${file}>${header}" IN_LIST PN_LAYER_EXCEPTIONS)
      list(APPEND seenExceptions "${file}>${header}")
      continue()
    endif()
    pn_include_text("${header}" "${written}" included)
    pn_layer_of("${header}" target)
    pn_layer_allowed(${layer} allowed)
    if(target STREQUAL "")
      list(APPEND problems
           "${file} includes ${included}, which lies in no layer: ${PN_LAYER_${layer}_TITLE} may include only ${allowed}")
      continue()
    endif()
    pn_layer_rank(${target} targetRank)
    if(targetRank GREATER rank)
      list(APPEND problems
           "${file} includes ${included} of ${PN_LAYER_${target}_TITLE}: ${PN_LAYER_${layer}_TITLE} may include only ${allowed}")
    elseif(header MATCHES "/internal/" AND NOT target STREQUAL layer)
      list(APPEND problems
           "${file} includes ${included}, kept to itself by ${PN_LAYER_${target}_TITLE}: only its own files include from internal/")
    endif()
  endforeach()
endforeach()

# The programs may include any layer, but nothing a layer keeps to itself.
foreach(clientDir IN LISTS PN_LAYER_CLIENT_DIRS)
  file(GLOB_RECURSE clientFiles RELATIVE "${PN_LAYER_ROOT}" "${PN_LAYER_ROOT}/${clientDir}/*.h"
       "${PN_LAYER_ROOT}/${clientDir}/*.cpp")
  foreach(file IN LISTS clientFiles)
    file(STRINGS "${PN_LAYER_ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS lines)
      pn_included_path("${file}" "${line}" header written)
      pn_layer_of("${header}" target)
      if(NOT target STREQUAL "" AND header MATCHES "/internal/")
        pn_include_text("${header}" "${written}" included)
        list(APPEND problems
             "${file} includes ${included}, kept to itself by ${PN_LAYER_${target}_TITLE}: only its own files include from internal/")
      endif()
    endforeach()
  endforeach()
endforeach()

# A listed exception that no longer occurs is stale: take it out of the list.
foreach(exception IN LISTS PN_LAYER_EXCEPTIONS)
  if(NOT exception IN_LIST seenExceptions)
    list(APPEND problems "the exception \"${exception}\" in cmake/Layers.cmake no longer occurs: remove it")
  endif()
endforeach()

if(problems)
  list(LENGTH problems count)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Layer check failed (${count}); the order is in cmake/Layers.cmake and docs/layers.md:\n  ${text}\n")
endif()
if(PN_LAYER_STAMP)
  file(TOUCH "${PN_LAYER_STAMP}")
endif()
