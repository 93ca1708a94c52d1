// Runs the Japanese page of docs/fonts.md, whose code the build takes from
// the page itself, so that the documented code is also shown to work.
//
//   fonts_page OUTPUT CMAP_FOLDER
namespace doc_example {
bool WriteJapanesePage(const char* path, const char* cmapDir);
}

int main(int argc, char** argv) {
  return argc == 3 && doc_example::WriteJapanesePage(argv[1], argv[2]) ? 0 : 1;
}
