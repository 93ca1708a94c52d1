# Runs the example program on the picture and checks the file it writes:
# present, a PDF, and accepted by `qpdf --check`.
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${PROGRAM} ${IMAGE} ${OUTPUT} RESULT_VARIABLE result
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "image_page failed (${result}): ${out}${err}")
endif()
if(NOT EXISTS ${OUTPUT})
  message(FATAL_ERROR "image_page wrote no file: ${out}${err}")
endif()
file(READ ${OUTPUT} head LIMIT 8)
if(NOT head MATCHES "^%PDF-1\\.4")
  message(FATAL_ERROR "${OUTPUT} does not begin with a PDF 1.4 header: ${head}")
endif()
if(NOT QPDF)
  message(FATAL_ERROR "qpdf is not installed (scripts/setup.sh installs it): ${OUTPUT} "
                      "is not checked")
endif()
execute_process(COMMAND ${QPDF} --check ${OUTPUT} RESULT_VARIABLE result
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "qpdf --check refuses ${OUTPUT} (${result}):\n${out}${err}")
endif()
