// Runs the Latin page of docs/fonts.md, whose code the build takes from the
// page itself, so that the documented code is also shown to work.
//
//   latin_page OUTPUT
namespace doc_example {
bool WriteLatinPage(const char* path);
}

int main(int argc, char** argv) {
  return argc == 2 && doc_example::WriteLatinPage(argv[1]) ? 0 : 1;
}
