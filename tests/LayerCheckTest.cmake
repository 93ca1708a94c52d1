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

# Adds one include line to a file of the copy, expects the check to fail
# with the file and the given words in its message, and puts the file back.
function(expect_line_rejected file line words)
  set(path "${PN_WORK_DIR}/${file}")
  file(READ "${path}" original)
  file(APPEND "${path}" "\n${line}\n")
  run_check(rc text)
  file(WRITE "${path}" "${original}")
  if(rc EQUAL 0)
    set(failures ${failures} "${file} with ${line} passed the check" PARENT_SCOPE)
    return()
  endif()
  foreach(word IN ITEMS "${file}" ${words})
    string(FIND "${text}" "${word}" at)
    if(at LESS 0)
      set(failures ${failures} "${file} with ${line}: no \"${word}\" in: ${text}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# The same for #include "header", the message naming it so.
function(expect_rejected file header words)
  expect_line_rejected("${file}" "#include \"${header}\"" "\"${header}\"" ${words})
  set(failures ${failures} PARENT_SCOPE)
endfunction()

# Adds one include line, expects the check to pass, and puts the file back.
function(expect_line_accepted file line)
  set(path "${PN_WORK_DIR}/${file}")
  file(READ "${path}" original)
  file(APPEND "${path}" "\n${line}\n")
  run_check(rc text)
  file(WRITE "${path}" "${original}")
  if(NOT rc EQUAL 0)
    set(failures ${failures} "${file} with ${line} fails the check: ${text}" PARENT_SCOPE)
  endif()
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
expect_rejected(pdf/document/CPDFColorSpace.cpp converter/MainDialog.h "which lies in no layer")
# Includes are read as the compiler reads them: angle brackets search from
# the root too, and "." and ".." are resolved, beside the including file or
# from the root.
expect_line_rejected(pdf/object/CPDFDict.h "#include <pdf/composite/CPDFDoc.h>"
                     "\"pdf/composite/CPDFDoc.h\" (written <pdf/composite/CPDFDoc.h>)"
                     "of the document composites")
expect_line_rejected(pdf/object/CPDFName.cpp "#include \"pdf/object/../composite/CPDFPage.h\""
                     "\"pdf/composite/CPDFPage.h\" (written \"pdf/object/../composite/CPDFPage.h\")"
                     "of the document composites")
expect_line_rejected(pdf/object/CPDFName.cpp "#include \"../document/CPDFResource.h\""
                     "\"pdf/document/CPDFResource.h\"" "of the document core")
expect_line_rejected(pdf/object/CPDFName.cpp "#include \"./../../pdf/font/CPDFFont.h\""
                     "\"pdf/font/CPDFFont.h\"" "of the features layer")
expect_line_rejected(pdf/graphics/CPDFShading.cpp "  #  include <pdf/composite/CPDFPage.h>"
                     "of the document composites")
expect_line_rejected(converter/core/ConvertOne.cpp "#include <pdf/document/internal/BMPReader.h>"
                     "kept to itself by the document core")
expect_line_rejected(platform/Process.h "#include \"../pdf/object/CPDFObject.h\""
                     "of the object layer")
# A name beside the including file is that file; system headers, and names
# that are no file of the tree, are no layer's.
expect_line_accepted(pdf/composite/CPDFDoc.cpp "#include \"CPDFPage.h\"")
expect_line_accepted(pdf/object/CPDFName.cpp "#include \"./CPDFName.h\"")
expect_line_accepted(pdf/object/CPDFName.cpp "#include <cstdint>")
expect_line_accepted(pdf/object/CPDFName.cpp "#include \"tiffio.h\"")
expect_line_accepted(pdf/object/CPDFName.cpp "#include \"CPDFPage.h\"")
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
