# Proves that the layer check (tools/check-layers.cmake) fails on includes
# that reach a higher layer, naming file, include and rule, and passes on
# the tree as it is. Works on a copy of the tree in PN_WORK_DIR.
#
#   cmake -DPN_SOURCE_DIR=<source root> -DPN_WORK_DIR=<scratch> -P LayerCheckTest.cmake
cmake_minimum_required(VERSION 3.22)

file(REMOVE_RECURSE "${PN_WORK_DIR}")
file(MAKE_DIRECTORY "${PN_WORK_DIR}/cmake" "${PN_WORK_DIR}/tools")
file(COPY "${PN_SOURCE_DIR}/pdf" "${PN_SOURCE_DIR}/platform" "${PN_SOURCE_DIR}/converter"
          "${PN_SOURCE_DIR}/launcher" DESTINATION "${PN_WORK_DIR}")
file(COPY "${PN_SOURCE_DIR}/cmake/Layers.cmake" DESTINATION "${PN_WORK_DIR}/cmake")
file(COPY "${PN_SOURCE_DIR}/tools/check-layers.cmake" DESTINATION "${PN_WORK_DIR}/tools")

function(run_check out_rc out_text)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -DPN_LAYER_ROOT=${PN_WORK_DIR} -P
            "${PN_WORK_DIR}/tools/check-layers.cmake"
    RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE text)
  string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
  set(${out_rc} ${rc} PARENT_SCOPE)
  set(${out_text} "${text}" PARENT_SCOPE)
endfunction()

set(failures)

run_check(rc text)
if(NOT rc EQUAL 0)
  list(APPEND failures "the unchanged tree fails the check: ${text}")
endif()

# Adds one include to a file of the copy, expects the check to fail with the
# given words in its message, and puts the file back.
function(expect_rejected file header words)
  set(path "${PN_WORK_DIR}/${file}")
  file(READ "${path}" original)
  file(APPEND "${path}" "\n#include \"${header}\"\n")
  run_check(rc text)
  file(WRITE "${path}" "${original}")
  if(rc EQUAL 0)
    set(failures ${failures} "${file} including ${header} passed the check" PARENT_SCOPE)
    return()
  endif()
  foreach(word IN ITEMS "${file}" "\"${header}\"" ${words})
    string(FIND "${text}" "${word}" at)
    if(at LESS 0)
      set(failures ${failures} "${file} including ${header}: no \"${word}\" in: ${text}"
          PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

expect_rejected(pdf/object/CPDFName.cpp pdf/document/CPDFResource.h
                "of the document core" "the object layer may include only object, platform")
expect_rejected(pdf/object/CPDFDict.h pdf/composite/CPDFDoc.h "of the document composites")
expect_rejected(pdf/document/CPDFResDict.cpp pdf/graphics/CPDFShading.h
                "of the features layer" "the document core may include only core, object, platform")
expect_rejected(pdf/graphics/CPDFShading.cpp pdf/composite/CPDFPage.h "of the document composites")
expect_rejected(pdf/interactive/CPDFAnnotation.h pdf/composite/CPDFDocSave.h
                "the features layer may include only features, core, object, platform")
expect_rejected(platform/Process.h pdf/object/CPDFObject.h "of the object layer")
expect_rejected(pdf/document/CPDFColorSpace.cpp converter/Converter.h "which lies in no layer")
# What a layer keeps in internal/ is its own: another layer, even a higher
# one, and the programs are refused; the layer's other folders are not.
expect_rejected(pdf/font/AFMFile.cpp pdf/object/internal/CodecDCT.h
                "kept to itself by the object layer")
expect_rejected(pdf/composite/CPDFDoc.cpp pdf/document/internal/TIFFReader.h
                "kept to itself by the document core")
expect_rejected(converter/core/ConvertOne.cpp pdf/document/internal/BMPReader.h
                "kept to itself by the document core")
expect_rejected(launcher/core/InstallInfo.cpp pdf/font/internal/FontText.h
                "kept to itself by the features layer")
file(APPEND "${PN_WORK_DIR}/pdf/interactive/CPDFField.cpp" "\n#include \"pdf/font/internal/FontText.h\"\n")
run_check(rc text)
if(NOT rc EQUAL 0)
  list(APPEND failures "a feature including the font folder's internal header fails: ${text}")
endif()

# A new folder of the features layer joins it without listing.
file(WRITE "${PN_WORK_DIR}/pdf/font/CPDFFont.h" "#pragma once\n#include \"pdf/document/CPDFResource.h\"\n")
run_check(rc text)
if(NOT rc EQUAL 0)
  list(APPEND failures "a font header including the resource base fails the check: ${text}")
endif()
expect_rejected(pdf/document/CPDFResource.cpp pdf/font/CPDFFont.h "of the features layer")

# A listed exception whose include has gone is reported, so the list only
# shrinks.
include("${PN_WORK_DIR}/cmake/Layers.cmake")
if(PN_LAYER_EXCEPTIONS)
  list(GET PN_LAYER_EXCEPTIONS 0 exception)
  string(REPLACE ">" ";" parts "${exception}")
  list(GET parts 0 file)
  list(GET parts 1 header)
  file(READ "${PN_WORK_DIR}/${file}" original)
  string(REPLACE "#include \"${header}\"" "" changed "${original}")
  file(WRITE "${PN_WORK_DIR}/${file}" "${changed}")
  run_check(rc text)
  file(WRITE "${PN_WORK_DIR}/${file}" "${original}")
  string(FIND "${text}" "no longer occurs" at)
  if(rc EQUAL 0 OR at LESS 0)
    list(APPEND failures "a stale exception passed the check: ${text}")
  endif()
endif()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Layer check test failed:\n  ${text}")
endif()
message(STATUS "Layer check test passed")
