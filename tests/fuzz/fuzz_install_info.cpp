// The launcher's install-information reader on any file bytes: decoding
// (UTF-8 or code page 932), splitting into caption, package path and
// description, and reading the file itself.
#include <string>
#include <string_view>

#include "launcher/core/InstallInfo.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTemp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> text = launcher::DecodeInstallText(bytes);
  if (text) FUZZ_CHECK(launcher::IsValidUtf8(*text));
  std::optional<launcher::InstallInfo> parsed;
  if (text) {
    parsed = launcher::ParseInstallInfo(*text, "/opt/pkg/");
    if (parsed) {
      FUZZ_CHECK(parsed->packagePath.rfind("/opt/pkg/", 0) == 0);
      FUZZ_CHECK(parsed->caption.find('\n') == std::string::npos);
    }
  }
  // The file gives what the bytes give.
  const fuzz::WorkFolder& folder = fuzz::WorkFolder::Get();
  const std::string path = folder.File(std::string(launcher::kInstallInfoFileName));
  fuzz::WorkFolder::Write(path, data, size);
  const std::optional<launcher::InstallInfo> read =
      launcher::ReadInstallInfoFile(folder.Path() + "/");
  FUZZ_CHECK(read.has_value() == parsed.has_value());
  if (read) {
    FUZZ_CHECK(read->caption == parsed->caption);
    FUZZ_CHECK(read->description == parsed->description);
  }
  // A limit below the size refuses the file.
  if (size > 0) FUZZ_CHECK(!launcher::ReadInstallInfoFile(folder.Path() + "/", size - 1));
  ::unlink(path.c_str());
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  seeds.Add("utf8", "Setup\nsetup/package.bin\nInstalls the program.\nSecond line.\n");
  seeds.Add("utf8-bom-crlf",
            "\xEF\xBB\xBF"
            "Caption\r\npkg\r\n\r\n");
  seeds.Add("japanese-utf8",
            "\xE3\x82\xBB\xE3\x83\x83\xE3\x83\x88\nsub/\xE5\x8C\x85.msi\n\xE8\xAA\xAC\xE6\x98\x8E");
  seeds.Add("cp932", "\x83\x5A\x83\x62\x83\x67\n\x95\x5C.msi\n\x90\xE0\x96\xBE\n");
  seeds.Add("two-lines", "Caption\npkg");
  seeds.Add("bad-cp932", "\x81\nx\n\xFF\xFE");
  seeds.Add("cr-only", "a\rb\rc\r");
}
