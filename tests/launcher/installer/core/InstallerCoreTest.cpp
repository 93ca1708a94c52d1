#include "launcher/installer/core/AptStatus.h"
#include "launcher/installer/core/DisplayText.h"
#include "launcher/installer/core/KnownMessage.h"
#include "launcher/installer/core/LineSplitter.h"
#include "launcher/installer/core/PackageFile.h"
#include "launcher/installer/core/PackageLocks.h"

#include "../../TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using installer::AptStatus;
using installer::LineSplitter;
using Lines = std::vector<std::string>;

// Feeds the pieces one after another and collects every line.
Lines Split(const std::vector<std::string>& pieces) {
  LineSplitter splitter;
  Lines lines;
  for (const std::string& piece : pieces) {
    for (std::string& line : splitter.Take(piece)) lines.push_back(std::move(line));
  }
  if (std::optional<std::string> last = splitter.Finish()) lines.push_back(*last);
  return lines;
}

TEST(LineSplitter, LinesEndAtLfOrCrWhereverThePiecesAreCut) {
  struct Case {
    std::vector<std::string> pieces;
    Lines lines;
  };
  const Case cases[] = {
      {{"a\nb\n"}, {"a", "b"}},
      {{"a", "b\nc", "d\n"}, {"ab", "cd"}},
      {{"a\r", "\nb\r\n"}, {"a", "b"}},                // CR LF, even cut between the two
      {{"50%\r60%\rdone\n"}, {"50%", "60%", "done"}},  // progress written over itself
      {{"\n\n\r\na\n\n"}, {"a"}},                      // empty lines are left out
      {{"last without end"}, {"last without end"}},
      {{"x\n", ""}, {"x"}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.lines, Split(c.pieces));
  }
}

TEST(LineSplitter, AnOverlongLineKeepsItsStartAndTheNextLineIsWhole) {
  const size_t max = LineSplitter::kMaxLineBytes;
  LineSplitter splitter;
  // Far more than the limit, in pieces, without a line end.
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(splitter.Take(std::string(max / 3, 'x')).empty());
  const Lines lines = splitter.Take("yyy\nnext\n");
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(std::string(max, 'x'), lines[0]);
  EXPECT_EQ("next", lines[1]);
  EXPECT_EQ(std::nullopt, splitter.Finish());
}

TEST(AptStatus, ReadsTheStatusLinesOfTheDownloadAndTheInstallation) {
  struct Case {
    const char* line;
    AptStatus::Kind kind;
    const char* package;
    int percent;
    const char* text;
  };
  using K = AptStatus::Kind;
  const Case cases[] = {
      {"pmstatus:velmora:20.0000:Preparing velmora", K::Install, "velmora", 20,
       "Preparing velmora"},
      // The package with its architecture; the description with ':'.
      {"pmstatus:velmora:amd64:37.5:Unpacking velmora (amd64): a:b", K::Install, "velmora:amd64",
       37, "Unpacking velmora (amd64): a:b"},
      {"pmstatus:dpkg-exec:0:Running dpkg", K::Install, "dpkg-exec", 0, "Running dpkg"},
      {"pmstatus:velmora:100:Installed velmora", K::Install, "velmora", 100, "Installed velmora"},
      {"pmstatus:velmora:100.000:", K::Install, "velmora", 100, ""},
      {"dlstatus:1:9.99:Retrieving file 1 of 3", K::Download, "1", 9, "Retrieving file 1 of 3"},
      {"pmerror:velmora:50:subprocess installed post-installation script returned error exit "
       "status 1",
       K::Error, "velmora", 50,
       "subprocess installed post-installation script returned error exit status 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::optional<AptStatus> status = installer::ParseAptStatus(c.line);
    ASSERT_TRUE(status);
    EXPECT_EQ(c.kind, status->kind);
    EXPECT_EQ(c.package, status->package);
    EXPECT_EQ(c.percent, status->percent);
    EXPECT_EQ(c.text, status->text);
  }
}

TEST(AptStatus, AnyOtherLineIsNoStatus) {
  const char* lines[] = {
      "Reading package lists...",
      "E: Unsupported file /x.deb given on commandline",
      "pmstatus:",
      "pmstatus:velmora",
      "pmstatus:velmora:20",          // no text field
      "pmstatus::20:text",            // no package
      "pmstatus:velmora:abc:text",    // no percent at all
      "pmstatus:velmora:100.5:text",  // above 100
      "pmstatus:velmora:1000:text",
      "pmstatus:velmora:-5:text",
      "pmstatus:velmora:5.:text",
      "pmstatus:velmora:.5:text",
      "pmconffile:/etc/x:/etc/x.dpkg-new:1:1:text",
      "media-change: insert disc",
      " pmstatus:velmora:20:text",  // not at the line's start
  };
  for (const char* line : lines) {
    EXPECT_FALSE(installer::ParseAptStatus(line)) << line;
  }
}

TEST(KnownMessage, AFormMatchesAWholeLineAndGivesItsValuesInArgumentOrder) {
  struct Case {
    const char* form;
    const char* line;
    std::optional<Lines> values;
  };
  const Case cases[] = {
      {"copy '%.255s' to '%.255s': %s", "copy 'a' to 'b': c: d", Lines{"a", "b", "c: d"}},
      {"held by process %d (%s)", "held by process 42 (apt)", Lines{"42", "apt"}},
      {"held by process %d (%s)", "held by process x (apt)", std::nullopt},  // no number
      {"%2$s を %1$s に", "b を a に", Lines{"a", "b"}},
      {"100%% done", "100% done", Lines{}},
      {"Not authorized", "Not authorized.", std::nullopt},
      {"%s: No space left on device", "No space left on device", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.values, installer::MatchForm(c.form, c.line)) << c.form << " / " << c.line;
  }
  // Each row matches its form with values put in; no row before it with
  // another text takes the line.
  for (const installer::KnownMessage& row : installer::KnownMessages()) {
    std::string line(row.form);
    for (const std::string conversion : {"%.255s", "%s", "%d", "%i"}) {
      for (size_t at; (at = line.find(conversion)) != std::string::npos;)
        line.replace(at, conversion.size(), conversion.back() == 's' ? "v" : "7");
    }
    const auto match = installer::MatchKnownMessage(row.stream, "  " + line);
    ASSERT_TRUE(match) << line;
    EXPECT_EQ(row.text, installer::KnownMessages()[match->row].text) << line;
  }
}

TEST(DisplayText, ShowsUtf8AndCodePage932AndReplacesTheRest) {
  struct Case {
    std::string bytes;
    std::string shown;
  };
  const Case cases[] = {
      {"パッケージ_1.00.deb", "パッケージ_1.00.deb"},
      // パッケージ in code page 932.
      {"\x83p\x83"
       "b\x83P\x81[\x83W.deb",
       "パッケージ.deb"},
      // Neither: each stray byte becomes U+FFFD, the rest stays.
      {"a\xff"
       "b\xe3\x81"
       "c",
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD\xEF\xBF\xBD"
       "c"},
      // Control characters are left out, tabs kept.
      {"\x1b[31mred\x1b[0m\tx\x7f\r", "[31mred[0m\tx"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.shown, installer::DisplayText(c.bytes)) << c.bytes;
  }
}

TEST(PackageFile, APackageCutShortOrChangedIsFoundDamaged) {
  const launchertest::TempFolder folder;
  const std::string& whole = launchertest::PackageBytes();
  const std::string path = folder.Folder() + "velmora_1.00_amd64.deb";
  const std::string damaged =
      "パッケージファイル " + path + " が壊れています。もう一度コピーしてください。";
  std::string changed = whole;
  changed[changed.size() - 40] ^= 0x55;  // in the compressed files
  struct Case {
    const char* what;
    std::string bytes;
    bool whole;
  };
  const Case cases[] = {
      {"whole", whole, true},
      {"cut in the first member's header", whole.substr(0, 30), false},
      {"cut in the control data", whole.substr(0, 200), false},
      {"cut in the files", whole.substr(0, whole.size() - 100), false},
      {"a byte changed in the files", changed, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    launchertest::WriteFile(path, c.bytes);
    ASSERT_TRUE(installer::PackageFileProblem(path).empty());
    std::vector<std::string> details;
    const std::vector<std::string> problem = installer::PackageArchiveProblem(path, details);
    EXPECT_EQ(c.whole ? Lines{} : Lines{damaged}, problem);
    // The command, then what dpkg-deb said.
    if (c.whole) {
      EXPECT_TRUE(details.empty());
    } else {
      ASSERT_GE(details.size(), 2u);
      EXPECT_EQ(0u, details[0].rfind("$ dpkg-deb --", 0)) << details[0];
      EXPECT_NE(std::string::npos, details[1].find("dpkg-deb")) << details[1];
    }
  }
  // Built for another architecture than the computer's (amd64, with armhf
  // foreign, as the stand-in dpkg tells) and not "all".
  launchertest::WriteRecordingScript(folder.Path() / "dpkg", folder.Path() / "dpkg.args",
                                     "[ $1 = --print-architecture ] && echo amd64 || echo armhf\n");
  const launchertest::ScopedEnv fakeDpkg("PATH", folder.Folder() + ":/usr/bin:/bin");
  std::vector<std::string> details;
  for (const std::string architecture : {"all", "amd64", "armhf", "arm64"}) {
    launchertest::WriteFile(path, launchertest::PackageBytes(architecture));
    EXPECT_EQ(architecture == "arm64", !installer::PackageArchiveProblem(path, details).empty())
        << architecture;
  }
  // Without dpkg-deb the installation is left to find out.
  const launchertest::ScopedEnv path_("PATH", folder.Path().string());
  EXPECT_TRUE(installer::PackageArchiveProblem(path, details).empty());
  EXPECT_TRUE(details.empty());
}

TEST(PackageLocks, AptsConfigurationPlacesTheLockFiles) {
  EXPECT_EQ(
      (Lines{"/var/lib/dpkg/lock-frontend", "/var/lib/dpkg/lock", "/var/cache/apt/archives/lock"}),
      installer::PackageLockFiles());
  // Folders with a quote, as apt-config writes them.
  const launchertest::TempFolder folder;
  launchertest::WriteRecordingScript(folder.Path() / "apt-config", folder.Path() / "args",
                                     "echo \"S='/a'\\\\''b/status'\"; echo \"A='/c/'\"\n");
  const launchertest::ScopedEnv path("PATH", folder.Folder() + ":/usr/bin:/bin");
  EXPECT_EQ((Lines{"/a'b/lock-frontend", "/a'b/lock", "/c/lock"}), installer::PackageLockFiles());
}

}  // namespace
