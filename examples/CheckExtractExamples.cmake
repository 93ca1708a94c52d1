# Runs the example extractor on a header and a page made here and checks what
# it writes: one source per example, the indented code after a "Typical use
# ...:" or "Example ...:" comment, and ```cpp blocks; no other comment or
# block; the example's own include lines first and no others; the code in a
# namespace of its own, with #line directives naming the documentation file;
# a count that differs from the build's is refused.
set(dir ${WORK}/extract-examples-check)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
file(WRITE ${dir}/Sample.h [=[
#pragma once
// What the class is for.
//   NotCode(1);
//
// Typical use (and more):
//   #include <cstdio>
//   int Twice(int x) {
//     return 2 * x;
//   }
//
//   int Thrice(int x) { return 3 * x; }
int Other();
// Example:
//   struct Shown {};
]=])
file(WRITE ${dir}/page.md [=[
# A page
```
plain text, not compiled
```
```cpp
struct FromPage {};
```
]=])
function(extract input count)
  execute_process(COMMAND ${PROGRAM} ${dir}/${input} ${count} ${dir}/${input}_
                  RESULT_VARIABLE result ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "extract_examples failed (${result}): ${err}")
  endif()
endfunction()
extract(Sample.h 2)
extract(page.md 1)
foreach(check
        "Sample.h_0.cpp|#line 6 \"${dir}/Sample.h\"\n#include <cstdio>\nnamespace doc_example {\n#line 6 \"${dir}/Sample.h\"\n\nint Twice(int x) {\n  return 2 * x;\n}\n\nint Thrice(int x) { return 3 * x; }\n}"
        "Sample.h_1.cpp|\nnamespace doc_example {\n#line 14 \"${dir}/Sample.h\"\nstruct Shown {};\n}"
        "page.md_0.cpp|\nnamespace doc_example {\n#line 6 \"${dir}/page.md\"\nstruct FromPage {};\n}")
  string(REPLACE "|" ";" check "${check}")
  list(GET check 0 file)
  list(GET check 1 expected)
  file(READ ${dir}/${file} text)
  string(FIND "${text}" "${expected}" at)
  if(at EQUAL -1 OR text MATCHES "NotCode|Other|plain text|cstdio.*cstdio" OR
     (NOT file STREQUAL "Sample.h_0.cpp" AND text MATCHES "#include"))
    message(FATAL_ERROR "${file} is not the example alone:\n${expected}\n--- it is:\n${text}")
  endif()
endforeach()
if(EXISTS ${dir}/Sample.h_2.cpp OR EXISTS ${dir}/page.md_1.cpp)
  message(FATAL_ERROR "more sources than examples")
endif()
# An example added since the build counted them.
execute_process(COMMAND ${PROGRAM} ${dir}/page.md 0 ${dir}/x_ RESULT_VARIABLE result
                ERROR_VARIABLE err)
if(result EQUAL 0 OR NOT err MATCHES "holds 1 examples where the build counted 0; configure")
  message(FATAL_ERROR "a count that differs was not refused (${result}): ${err}")
endif()
