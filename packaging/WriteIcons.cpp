// Writes the converter's icon, drawn by the program's own code, as PNG files
// in the layout of an icon theme: <folder>/<size>x<size>/apps/<name>.png.
//   WriteIcons <folder> <name> <size>...
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "converter/DialogStyle.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: WriteIcons <folder> <name> <size>...\n");
    return 2;
  }
  QGuiApplication application(argc, argv);
  const std::filesystem::path folder = argv[1];
  const std::string name = argv[2];
  for (int i = 3; i < argc; ++i) {
    char* end = nullptr;
    const long size = std::strtol(argv[i], &end, 10);
    if (end == argv[i] || *end != '\0' || size < 1 || size > 1024) {
      std::fprintf(stderr, "WriteIcons: not a size: %s\n", argv[i]);
      return 2;
    }
    const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path apps = folder / sizeName / "apps";
    std::error_code error;
    std::filesystem::create_directories(apps, error);
    if (error) {
      std::fprintf(stderr, "WriteIcons: cannot create %s: %s\n", apps.c_str(),
                   error.message().c_str());
      return 1;
    }
    const std::filesystem::path file = apps / (name + ".png");
    if (!ostrel::DrawAppIcon(int(size)).save(QString::fromStdString(file.string()), "PNG")) {
      std::fprintf(stderr, "WriteIcons: cannot write %s\n", file.c_str());
      return 1;
    }
  }
  return 0;
}
