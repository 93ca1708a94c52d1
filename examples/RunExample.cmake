# Runs an example program and checks the PDF file it writes: present, with
# the header given (HEADER), accepted by `qpdf --check` (with QPDF), and,
# with TEXT, read by pdftotext (PDFTOTEXT) as holding that text, without a
# warning. ARGS are the program's arguments, OUTPUT the file.
file(REMOVE ${OUTPUT})
get_filename_component(name ${PROGRAM} NAME)
execute_process(COMMAND ${PROGRAM} ${ARGS} RESULT_VARIABLE result OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${name} failed (${result}): ${out}${err}")
endif()
if(NOT EXISTS ${OUTPUT})
  message(FATAL_ERROR "${name} wrote no file: ${out}${err}")
endif()
file(READ ${OUTPUT} head LIMIT 8)
if(NOT head MATCHES "^${HEADER}")
  message(FATAL_ERROR "${OUTPUT} does not begin with ${HEADER}: ${head}")
endif()
foreach(tool QPDF PDFTOTEXT)
  if(DEFINED ${tool} AND NOT ${tool})
    message(FATAL_ERROR "${tool} is not installed (scripts/setup.sh installs it): ${OUTPUT} "
                        "is not checked")
  endif()
endforeach()
if(QPDF)
  execute_process(COMMAND ${QPDF} --check ${OUTPUT} RESULT_VARIABLE result
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "qpdf --check refuses ${OUTPUT} (${result}):\n${out}${err}")
  endif()
endif()
if(DEFINED TEXT)
  execute_process(COMMAND ${PDFTOTEXT} -enc UTF-8 ${OUTPUT} - RESULT_VARIABLE result
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0 OR NOT out MATCHES "${TEXT}" OR NOT err STREQUAL "")
    message(FATAL_ERROR "pdftotext reads ${OUTPUT} (${result}) as:\n${out}${err}")
  endif()
endif()
