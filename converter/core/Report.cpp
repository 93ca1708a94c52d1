#include "converter/core/Report.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

#include "converter/core/PathOps.h"
#include "platform/SystemError.h"

namespace ostrel {

namespace {

const char kRule[] = "==============================================";  // 46 '='

void AppendSection(std::string& text, const char* title, const std::deque<std::string>& paths) {
  if (paths.empty()) return;
  text += "\r\n";
  text += title;
  text += "\r\n";
  text += kRule;
  text += "\r\n";
  for (const std::string& p : paths) {
    text += p;
    text += "\r\n";
  }
}

}  // namespace

std::string BuildReport(const ConversionResults& results) {
  size_t c = results.converted.size();
  size_t f = results.failed.size();
  std::string text;
  text += "発見したファイル数 ： " + std::to_string(c + f) + "\r\n";
  text += "変換できたファイル数 ： " + std::to_string(c) + "\r\n";
  text += "変換できなかったファイル数 ： " + std::to_string(f) + "\r\n";
  AppendSection(text, "■変換できたファイル", results.converted);
  AppendSection(text, "■変換できなかったファイル", results.failed);
  return text;
}

std::string AddDefaultExtension(const std::string& path, const std::string& extension) {
  if (path.empty() || path.back() == '/' || !PathExtension(path).empty()) return path;
  return path + "." + extension;
}

bool SaveReport(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    platform::RecordSystemError();
    return false;
  }
  const char* p = text.data();
  size_t left = text.size();
  bool ok = true;
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      platform::RecordSystemError();
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::close(fd) != 0 && ok) {
    platform::RecordSystemError();
    ok = false;
  }
  return ok;
}

}  // namespace ostrel
