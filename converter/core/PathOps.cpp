#include "converter/core/PathOps.h"

#include <sys/stat.h>
#include <unistd.h>

namespace ostrel {

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view LastComponent(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
  if (suffix.size() > name.size()) return false;
  std::string_view end = name.substr(name.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (FoldAscii(end[i]) != FoldAscii(suffix[i])) return false;
  }
  return true;
}

std::string_view PathExtension(std::string_view path) {
  std::string_view last = LastComponent(path);
  size_t dot = last.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : last.substr(dot);
}

std::string_view PathBaseName(std::string_view path) {
  std::string_view last = LastComponent(path);
  return last.substr(0, last.size() - PathExtension(last).size());
}

int32_t ClassifyPath(const std::string& path, bool isOutput) {
  // A NUL byte cannot be part of a host path; such a text counts as not
  // given rather than naming the shorter path before the NUL.
  if (path.empty() || path.find('\0') != std::string::npos) return kPathEmpty;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0)
    return S_ISDIR(st.st_mode) ? kPathExistingFolder : kPathExistingFile;
  if (::access(path.c_str(), F_OK) == 0) return kPathExistingFolder;
  std::string_view ext = PathExtension(path);
  if (!isOutput) return ext.empty() ? kPathNewFolder : kPathNewFile;
  return (ext.size() == 4 && EndsWithNoCase(ext, ".PDF")) ? kPathNewFile : kPathNewFolder;
}

std::string NormalisePath(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path + ".";
  return path;
}

std::string LastPathComponent(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && path[end - 1] == '/') --end;
  size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
  if (end == 0 || slash == std::string::npos) return {};
  return path.substr(slash, end - slash);
}

std::string CutTrailingDot(const std::string& path) {
  if (path.size() >= 2 && path.compare(path.size() - 2, 2, "/.") == 0)
    return path.substr(0, path.size() - 2);
  return path;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string out = folder;
  if (out.empty() || out.back() != '/') out += '/';
  out.append(name);
  return out;
}

}  // namespace ostrel
