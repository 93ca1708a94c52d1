# Runs the page of docs/fonts.md and reads its text back with pdftotext: the
# composite font made through the library must be one a reader knows.
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${PROGRAM} ${OUTPUT} ${CMAPS} RESULT_VARIABLE result
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fonts_page failed (${result}): ${out}${err}")
endif()
if(NOT PDFTOTEXT)
  message(FATAL_ERROR "pdftotext is not installed (scripts/setup.sh installs it)")
endif()
execute_process(COMMAND ${PDFTOTEXT} -enc UTF-8 ${OUTPUT} - RESULT_VARIABLE result
                OUTPUT_VARIABLE text ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT text MATCHES "日本語のテキスト" OR NOT err STREQUAL "")
  message(FATAL_ERROR "pdftotext reads ${OUTPUT} (${result}) as:\n${text}${err}")
endif()
