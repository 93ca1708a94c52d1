# Runs the example extractor on a header and a page made here and checks what
# it collects: the indented code after a "Typical use ...:" or "Example ...:"
# comment, and ```cpp blocks; no other comment or block; include lines moved
# to the top; each example in a namespace of its own, with #line directives
# naming the documentation file.
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
execute_process(COMMAND ${PROGRAM} ${dir}/out.cpp ${dir}/Umbrella.h ${dir}/Sample.h ${dir}/page.md
                RESULT_VARIABLE result ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "extract_examples failed (${result}): ${err}")
endif()
file(READ ${dir}/out.cpp text)
foreach(expected
        "#include \"${dir}/Umbrella.h\""
        "#line 6 \"${dir}/Sample.h\"\n#include <cstdio>\nnamespace doc_example_0"
        "namespace doc_example_0 {\n#line 6 \"${dir}/Sample.h\"\n\nint Twice(int x) {\n  return 2 * x;\n}\n\nint Thrice(int x) { return 3 * x; }\n}"
        "namespace doc_example_1 {\n#line 14 \"${dir}/Sample.h\"\nstruct Shown {};\n}"
        "namespace doc_example_2 {\n#line 6 \"${dir}/page.md\"\nstruct FromPage {};\n}")
  string(FIND "${text}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the extracted examples lack:\n${expected}\n--- they are:\n${text}")
  endif()
endforeach()
foreach(unexpected "NotCode" "Other" "plain text" "doc_example_3")
  string(FIND "${text}" "${unexpected}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the extracted examples hold '${unexpected}':\n${text}")
  endif()
endforeach()
