#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

#include "converter/core/ConversionDriver.h"
#include "converter/core/PathOps.h"
#include "converter/core/StringTable.h"
#include "platform/RunFolders.h"
#include "tests/converter/core/FakeConverterUi.h"

using namespace ostrel;
using test::Box;

namespace {

using Calls = std::vector<std::pair<std::string, std::string>>;
using Strings = std::vector<std::string>;

class DriverTest : public ::testing::Test {
 protected:
  test::TempDir tmp;
  test::FakeConverterUi ui;
  Calls calls;
  // Writes the output like a converter would (failing where it cannot
  // create the file) and fails inputs whose name holds "bad".
  ConvertFunction convertHook;
  ConversionDriver driver{ui, [this](const std::string& in, const std::string& out) -> int32_t {
                            calls.emplace_back(in, out);
                            if (convertHook) return convertHook(in, out);
                            std::FILE* f = std::fopen(out.c_str(), "wb");
                            if (!f) return -1;
                            std::fputs(in.c_str(), f);
                            std::fclose(f);
                            return in.find("bad") != std::string::npos ? -1 : 0;
                          }};
  ConvertRequest req;

  // in/a.jpg a.tif b.BMP c.png x.tiff sub/d.jpeg sub2/ .hid/e.jpg, and an empty out/.
  void MakeTree() {
    for (const char* f : {"a.jpg", "a.tif", "b.BMP", "c.png", "x.tiff", "sub/d.jpeg", ".hid/e.jpg"})
      tmp.File(std::string("in/") + f);
    tmp.Dir("in/sub2");
    tmp.Dir("out");
    req.input = tmp / "in";
    req.output = tmp / "out";
  }

  std::string In(const std::string& rel) const { return tmp / ("in/" + rel); }
  std::string Out(const std::string& rel) const { return tmp / ("out/" + rel); }

  // The map as (input relative to in/, relative output).
  Calls MapRelative() const {
    Calls out;
    size_t cut = (tmp / "in").size();
    for (const auto& [k, v] : driver.ConversionMap()) out.emplace_back(k.substr(cut), v);
    return out;
  }

  Strings CalledOutputs() const {
    Strings out;
    size_t cut = (tmp / "out").size();
    for (const auto& c : calls)
      out.push_back(c.second.substr(0, cut) == tmp / "out" ? c.second.substr(cut) : c.second);
    return out;
  }

  void ExpectDialogsClosed() const {
    EXPECT_EQ(ui.searchOpen, 0);
    EXPECT_EQ(ui.progressOpen, 0);
  }
};

bool IsDir(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writes a good file's output, and nothing for one named "bad", which fails.
int32_t WriteGoodFailBad(const std::string& in, const std::string& out) {
  std::FILE* f = in.find("bad") == std::string::npos ? std::fopen(out.c_str(), "wb") : nullptr;
  return f && std::fclose(f) == 0 ? 0 : -1;
}

// Another run, played before each mkdir: it makes ok and mixed/failing
// first, and removes fail (empty, once) just before fail/deep is made.
void AnotherRunMeanwhile(const char* path) {
  static bool removed = false;
  const std::filesystem::path folder = path;
  if (folder.filename() == "ok" || folder.filename() == "failing") ::mkdir(path, 0777);
  if (folder.filename() == "deep" && !removed) removed = ::rmdir(folder.parent_path().c_str()) == 0;
}

int g_signal = 0;
bool g_elsewhere = false;

// In the middle of the removal of made/deep, its lock taken: the signal on
// this thread, or on another one while this one stays there.
void SignalInTheRemoval(const char* name) {
  if (std::strcmp(name, "deep") != 0) return;
  if (!g_elsewhere) raise(g_signal);
  std::thread([] { raise(g_signal); }).join();
}

// How a child ended, killed when it has not within 20 seconds.
int AwaitChild(pid_t child) {
  int status = 0;
  for (int tick = 0; tick < 2000 && waitpid(child, &status, WNOHANG) != child; ++tick) {
    if (tick == 1999) kill(child, SIGKILL), waitpid(child, &status, 0);
    usleep(10000);
  }
  return status;
}

}  // namespace

TEST_F(DriverTest, FolderTreeWithDefaults) {
  MakeTree();
  ui.answers = {MsgAnswer::Yes /* create out/sub */, MsgAnswer::Yes /* overwrite out/a.PDF */};
  driver.OnConvert(req);

  EXPECT_EQ(MapRelative(), (Calls{{"/a.jpg", "/a.PDF"},
                                  {"/a.tif", "/a.PDF"},
                                  {"/b.BMP", "/b.PDF"},
                                  {"/sub/d.jpeg", "/sub/d.PDF"},
                                  {"/x.tiff", "/x.PDF"}}));
  EXPECT_EQ(CalledOutputs(), (Strings{"/a.PDF", "/a.PDF", "/b.PDF", "/sub/d.PDF", "/x.PDF"}));
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "フォルダ " + Out("sub") + " を作成します。\nよろしいですか？");
  EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Question);
  EXPECT_EQ(ui.boxes[1].text, "ファイル " + Out("a.PDF") + " を上書きします。\nよろしいですか？");
  EXPECT_EQ(ui.boxes[1].buttons, MsgButtons::YesNoCancel);
  EXPECT_TRUE(IsDir(Out("sub")));
  EXPECT_FALSE(IsDir(Out("sub2")));

  // The search never enters sub2's image-less folder into the queue nor .hid at all.
  for (const std::string& s : ui.stateTexts) EXPECT_EQ(s.find(".hid"), std::string::npos) << s;
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted, (std::deque<std::string>{In("a.jpg"), In("a.tif"), In("b.BMP"),
                                                              In("sub/d.jpeg"), In("x.tiff")}));
  EXPECT_TRUE(ui.results[0].failed.empty());
  EXPECT_EQ(ui.calls,
            (Strings{"ShowSearch", "HideSearch", "ShowProgress", "HideProgress", "ShowResult"}));
  EXPECT_EQ(ui.fileTexts,
            (Strings{In("a.jpg"), In("a.tif"), In("b.BMP"), In("sub/d.jpeg"), In("x.tiff")}));
  EXPECT_EQ(ui.ranges, (std::vector<std::pair<int32_t, int32_t>>{{INT32_MIN, INT32_MIN + 5}}));
  EXPECT_EQ(ui.percentTexts, (Strings{"20%", "40%", "60%", "80%", "100%"}));
  EXPECT_FALSE(driver.Running());
}

TEST_F(DriverTest, SearchOptions) {
  MakeTree();
  req.settings.OutFileName = 1;
  driver.SetRequest(req);
  bool found = false;
  ASSERT_EQ(driver.FolderSearch(req.input, kPathExistingFolder, found, ""), 0);
  EXPECT_TRUE(found);
  EXPECT_EQ(MapRelative(), (Calls{{"/a.jpg", "/a_jpg.PDF"},
                                  {"/a.tif", "/a_tif.PDF"},
                                  {"/b.BMP", "/b_BMP.PDF"},
                                  {"/sub/d.jpeg", "/sub/d_jpeg.PDF"},
                                  {"/x.tiff", "/x_tiff.PDF"}}));
  EXPECT_EQ(driver.FolderQueue(), (std::deque<std::string>{"/sub"}));

  test::FakeConverterUi ui2;
  ConversionDriver d2(ui2, [](const std::string&, const std::string&) { return 0; });
  ConvertRequest r2 = req;
  r2.settings.ObjBMP = 0;
  r2.settings.SubFolder = 0;
  d2.SetRequest(r2);
  found = false;
  ASSERT_EQ(d2.FolderSearch(req.input, kPathExistingFolder, found, ""), 0);
  EXPECT_EQ(d2.ConversionMap().size(), 3u);  // a.jpg a.tif x.tiff
  EXPECT_EQ(d2.ConversionMap().count(In("b.BMP")), 0u);
  EXPECT_TRUE(d2.FolderQueue().empty());
  EXPECT_EQ(ui2.stateTexts, (Strings{req.input}));  // sub is never opened

  // MakeFolder off: the outputs still name the sub-folder, and fail there.
  req.settings = ConverterSettings{};
  req.settings.MakeFolder = 0;
  ui.answers = {MsgAnswer::Yes};  // overwrite out/a.PDF
  driver.OnConvert(req);
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].failed, (std::deque<std::string>{In("sub/d.jpeg")}));
  EXPECT_EQ(ui.results[0].converted.size(), 4u);
}

TEST_F(DriverTest, ByteOrderOfKeysAndParentFoldersFirst) {
  tmp.File("in/dir.jpg");
  tmp.File("in/dir/a.jpg");
  tmp.File("in/a.jpg");
  tmp.File("in/A.jpg");
  tmp.File("in/a/b/c.jpg");
  tmp.Dir("out");
  req.input = tmp / "in/";  // normalised to in/. and searched as in
  req.output = tmp / "out/";
  ui.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes};
  driver.OnConvert(req);
  EXPECT_EQ(MapRelative(), (Calls{{"/A.jpg", "/A.PDF"},
                                  {"/a.jpg", "/a.PDF"},
                                  {"/a/b/c.jpg", "/a/b/c.PDF"},
                                  {"/dir.jpg", "/dir.PDF"},
                                  {"/dir/a.jpg", "/dir/a.PDF"}}));
  // Created parent first though the search queued the child first.
  EXPECT_EQ(ui.BoxTexts(), (Strings{LoadMessage1(kMsgCreateFolder, Out("a")),
                                    LoadMessage1(kMsgCreateFolder, Out("a/b")),
                                    LoadMessage1(kMsgCreateFolder, Out("dir"))}));
  EXPECT_EQ(calls.front().second, Out("A.PDF"));  // no "/./" nor "//"
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted.size(), 5u);
}

TEST_F(DriverTest, DecliningOrFailingFolderCreationEndsTheRun) {
  MakeTree();
  ui.answers = {MsgAnswer::No};
  driver.OnConvert(req);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(ui.BoxTexts(), (Strings{LoadMessage1(kMsgCreateFolder, Out("sub")), "異常終了。"}));
  EXPECT_EQ(ui.boxes.back().icon, MsgIcon::Information);
  EXPECT_TRUE(ui.results.empty());

  // One level only: a missing parent cannot be made.
  req.settings.NeNoConf = 1;
  ui.boxes.clear();
  EXPECT_EQ((driver.SetRequest(req), driver.EnsureFolder(tmp / "none/x")), 0);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(driver.EnsureFolder(tmp / "made"), 1);
  EXPECT_TRUE(IsDir(tmp / "made"));
  EXPECT_EQ(driver.EnsureFolder(tmp / "made"), 1);
  EXPECT_EQ(driver.EnsureFolder(""), 0);

  // "new/." (typed as "new/") is made as "new".
  EXPECT_EQ(driver.EnsureFolder(tmp / "typed/."), 1);
  EXPECT_TRUE(IsDir(tmp / "typed"));
  EXPECT_EQ(driver.EnsureFolder("/."), 1);

  // An output folder that does not exist is asked for before the run.
  req.settings.NeNoConf = 0;
  req.output = tmp / "newout";
  ui.answers = {MsgAnswer::No};
  driver.OnConvert(req);
  EXPECT_EQ(ui.boxes.size(), 1u);  // the question only, no message after it
  EXPECT_TRUE(calls.empty());

  // One that cannot be made ends the run with the message, and standard
  // error tells why.
  req.settings.NeNoConf = 1;
  req.output = tmp / "none/newout";
  ui.boxes.clear();
  testing::internal::CaptureStderr();
  driver.OnConvert(req);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ui.BoxTexts(), (Strings{"異常終了。"}));
  EXPECT_EQ(said.rfind(tmp / "none/newout: cannot create the folder: ", 0), 0u) << said;
  EXPECT_TRUE(calls.empty());
}

TEST_F(DriverTest, FoldersMadeOnlyForFailedFilesAreRemovedAgain) {
  // Inputs named "bad" fail and leave no file, as a conversion does.
  for (const char* f : {"ok/a.jpg", "fail/bad.jpg", "fail/deep/bad.jpg", "mixed/a.jpg",
                        "mixed/bad.jpg", "before/bad.jpg", "mixed/failing/bad.jpg"})
    tmp.File(std::string("in/") + f);
  tmp.Dir("out/before");
  req.input = tmp / "in";
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  convertHook = [](const std::string& in, const std::string& out) -> int32_t {
    if (in.find("bad") != std::string::npos) return -1;
    std::FILE* f = std::fopen(out.c_str(), "wb");
    return f && std::fclose(f) == 0 ? 0 : -1;
  };
  driver.OnConvert(req);
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].failed.size(), 5u);
  // Kept: folders with a result, and the one that was there before.
  for (const char* kept : {"ok", "mixed", "before"}) EXPECT_TRUE(IsDir(Out(kept))) << kept;
  for (const char* gone : {"fail", "mixed/failing"}) EXPECT_FALSE(IsDir(Out(gone))) << gone;
  // So also when the run ends early: folders made before a folder that
  // cannot be made go again.
  ui.results.clear();
  std::filesystem::remove_all(tmp / "out");
  tmp.Dir("out");
  tmp.File("out/mixed/failing", "a file where a folder must be made");
  driver.OnConvert(req);
  EXPECT_TRUE(ui.results.empty());
  EXPECT_FALSE(IsDir(Out("fail")));
  EXPECT_FALSE(IsDir(Out("fail/deep")));
  // Another run making and removing folders meanwhile: the run writes into
  // its tree, makes fail again and leaves the other's empty folder. Locks
  // that fail (ENOLCK): no folder is removed.
  const struct Pass {
    platform::RunFolders::TestHooks hooks;
    std::vector<const char*> kept, gone;
  } passes[] = {
      {{.beforeMake = AnotherRunMeanwhile}, {"ok", "mixed/failing"}, {"fail", "before"}},
      {{.lock = [](int, int) { return errno = ENOLCK, -1; }}, {"fail/deep", "before"}, {}}};
  for (const Pass& pass : passes) {
    ui.results.clear();
    std::filesystem::remove_all(tmp / "out");
    tmp.Dir("out");
    platform::RunFolders::SetTestHooks(pass.hooks);
    driver.OnConvert(req);
    platform::RunFolders::SetTestHooks({});
    ASSERT_EQ(ui.results.size(), 1u);
    EXPECT_EQ(ui.results[0].converted.size(), 2u);
    for (const char* kept : pass.kept) EXPECT_TRUE(IsDir(Out(kept))) << kept;
    for (const char* gone : pass.gone) EXPECT_FALSE(IsDir(Out(gone))) << gone;
  }
}

// Four runs at once, each a process, into one output tree, ten rounds: every
// good file is converted (a folder made only for failed files may stay).
TEST_F(DriverTest, FourRunsAtOnceIntoOneOutputTreeConvertEveryGoodFile) {
  for (int run = 0; run < 4; ++run)
    for (std::string f : {"shared/a.jpg", "shared/bad.jpg", "onlybad/bad.jpg", "deep/er/b.jpg",
                          "deep/bad.jpg", run % 2 ? "odd/c.jpg" : "even/c.jpg", "odd/bad.jpg"})
      tmp.File("in/" + std::to_string(run) + "/" + f.insert(f.rfind('/') + 1, 1, char('0' + run)));
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  convertHook = WriteGoodFailBad;
  for (int round = 0; round < 10; ++round) {
    std::filesystem::remove_all(tmp / "out");
    tmp.Dir("out");
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t runs[4];
    for (int run = 0; run < 4; ++run)
      if ((runs[run] = fork()) == 0) {
        ::close(start[1]);
        char byte;
        (void)!::read(start[0], &byte, 1);  // all begin when the test closes its end
        req.input = tmp / ("in/" + std::to_string(run));
        driver.OnConvert(req);
        _exit(ui.results.size() == 1 && ui.results[0].converted.size() == 3 ? 0 : 1);
      }
    ::close(start[0]);
    ::close(start[1]);
    for (pid_t child : runs) EXPECT_EQ(AwaitChild(child), 0) << "round " << round;
  }
}

// A run stopped (Ctrl-Z) in its removal, played by the test holding the lock,
// holds up no other run: one finding the lock kept ends at once on SIGTERM,
// its empty folder removed; one left alone writes unheld after a moment.
TEST_F(DriverTest, ARunStoppedInItsRemovalHoldsUpNoOtherRun) {
  for (const char* f : {"mine/bad.jpg", "shared/a.jpg", "shared/b.jpg"})
    tmp.File(std::string("in/") + f);
  const int stopped = ::open(tmp.Dir("out/shared").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(stopped, LOCK_EX), 0);
  req.input = tmp / "in";
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  convertHook = WriteGoodFailBad;
  const pid_t waiting = fork();
  if (waiting == 0) {
    platform::RunFolders::SetTestHooks({.lock = [](int fd, int operation) {
      static bool refused = false;  // SIGTERM at the first refusal, taken before a second
      const int result = ::flock(fd, operation);
      if (result != 0 && errno == EWOULDBLOCK && refused) _exit(1);
      if (result != 0 && errno == EWOULDBLOCK) raise(SIGTERM), refused = true, errno = EWOULDBLOCK;
      return result;
    }});
    driver.OnConvert(req);
    _exit(0);
  }
  const int status = AwaitChild(waiting);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_FALSE(IsDir(Out("mine")));
  driver.OnConvert(req);
  ::close(stopped);
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted,
            (std::deque<std::string>{In("shared/a.jpg"), In("shared/b.jpg")}));
}

// Two runs into one output folder, each on a thread of its own: run A
// makes out/bad for a file that fails; run B finds out/bad there and is to
// write a good file into it when A ends and removes what it made.
TEST_F(DriverTest, TwoRunsIntoOneOutputFolderBothConvertEveryGoodFile) {
  for (const char* f : {"a/bad/bad.jpg", "a/z.jpg", "b/a.jpg", "b/bad/good.jpg"})
    tmp.File(std::string("in/") + f);
  struct Round {
    const char* when;
    bool duringWrite;  // A ends while B writes into out/bad, else just before
  };
  for (const Round& round : {Round{"between B's files", false}, Round{"during B's write", true}}) {
    SCOPED_TRACE(round.when);
    std::filesystem::remove_all(tmp / "out");
    tmp.Dir("out");
    std::mutex lock;
    std::condition_variable changed;
    int step = 0;  // 1: A waits at its last file, 2: B waits for A, 3: A has ended
    const auto reach = [&](int to) {
      std::lock_guard<std::mutex> guard(lock);
      step = to;
      changed.notify_all();
    };
    const auto await = [&](int at) {
      std::unique_lock<std::mutex> guard(lock);
      changed.wait(guard, [&] { return step >= at; });
    };
    const auto write = [](const std::string& out) {
      std::FILE* f = std::fopen(out.c_str(), "wb");
      return f && std::fclose(f) == 0 ? 0 : -1;
    };
    test::FakeConverterUi uiA;
    ConversionDriver runA(uiA, [&](const std::string& in, const std::string& out) -> int32_t {
      if (in.find("bad") != std::string::npos) return -1;
      reach(1);
      await(2);
      return write(out);
    });
    ConversionDriver runB(ui, [&](const std::string&, const std::string& out) -> int32_t {
      const bool intoBad = out.find("/bad/") != std::string::npos;
      if (intoBad == round.duringWrite) {
        reach(2);
        await(3);
      }
      return write(out);
    });
    ConvertRequest a = req;
    a.input = tmp / "in/a";
    a.output = tmp / "out";
    a.settings.NeNoConf = 1;
    ConvertRequest b = a;
    b.input = tmp / "in/b";
    ui.results.clear();
    std::thread first([&] {
      runA.OnConvert(a);
      reach(3);
    });
    await(1);
    runB.OnConvert(b);
    first.join();
    ASSERT_EQ(uiA.results.size(), 1u);
    EXPECT_EQ(uiA.results[0].converted.size(), 1u);
    ASSERT_EQ(ui.results.size(), 1u);
    EXPECT_EQ(ui.results[0].converted.size(), 2u);
    EXPECT_TRUE(ui.results[0].failed.empty());
    EXPECT_TRUE(std::filesystem::exists(Out("bad/good.PDF")));
  }
}

TEST_F(DriverTest, AFolderNoLongerTheOneMadeStays) {
  // The folder made for a failing file is replaced while the run goes on.
  struct Case {
    const char* what;
    std::function<void(const std::string& made)> replace;
  };
  const std::string elsewhere = tmp / "elsewhere";
  const Case cases[] = {
      {"swapped for a link",
       [&](const std::string& made) {
         std::filesystem::rename(made, elsewhere);
         std::filesystem::create_directory_symlink(elsewhere, made);
       }},
      {"removed and made again",
       [&](const std::string& made) {
         std::filesystem::remove(made);
         std::filesystem::create_directory(made);
       }},
  };
  tmp.File("in/fail/bad.jpg");
  req.input = tmp / "in";
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(tmp / "out");
    std::filesystem::remove_all(elsewhere);
    tmp.Dir("out");
    convertHook = [&](const std::string&, const std::string&) -> int32_t {
      c.replace(Out("fail"));
      return -1;
    };
    driver.OnConvert(req);
    EXPECT_TRUE(IsDir(Out("fail")));
    // A link is left as it is, and the folder made, which it leads to.
    EXPECT_EQ(IsDir(elsewhere), std::filesystem::is_symlink(Out("fail")));
  }
}

TEST_F(DriverTest, ASignalRemovesTheEmptyFoldersTheRunMade) {
  // Ended by a signal while a file is written into a folder it made (and
  // holds): the run's empty folders go, the folder there before stays.
  for (const char* f : {"before/bad.jpg", "made/bad.jpg", "made/deep/x.jpg"})
    tmp.File(std::string("in/") + f);
  req.input = tmp / "in";
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
  for (int at = 0; at < 12; ++at) {  // in a write, in a removal, or on another thread in one
    const int signal = signals[at % 4];
    SCOPED_TRACE(std::string(strsignal(signal)) + " at " + std::to_string(at / 4));
    std::filesystem::remove_all(tmp / "out");
    tmp.Dir("out/before");
    const pid_t child = fork();
    if (child == 0) {
      rlimit noCore{0, 0};
      setrlimit(RLIMIT_CORE, &noCore);
      g_signal = signal;
      g_elsewhere = at >= 8;
      platform::RunFolders::SetTestHooks({.removing = at < 4 ? nullptr : SignalInTheRemoval});
      convertHook = [&](const std::string& in, const std::string&) -> int32_t {
        if (at < 4 && in.find("/deep/") != std::string::npos) raise(signal);
        return -1;
      };
      driver.OnConvert(req);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_TRUE(IsDir(Out("before")));
    EXPECT_FALSE(IsDir(Out("made/deep")));
    EXPECT_FALSE(IsDir(Out("made")));
  }
}

TEST_F(DriverTest, NewOutputFolderTypedWithSlash) {
  MakeTree();
  req.output = tmp / "fresh/";
  ui.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes};
  driver.OnConvert(req);
  EXPECT_EQ(ui.boxes[0].text, LoadMessage1(kMsgCreateFolder, tmp / "fresh"));
  EXPECT_TRUE(IsDir(tmp / "fresh/sub"));
  EXPECT_EQ(calls.front().second, tmp / "fresh/a.PDF");
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted.size(), 5u);
}

TEST_F(DriverTest, OverwriteQuestionsInTheLoop) {
  MakeTree();
  req.settings.NeNoConf = 1;
  tmp.File("out/b.PDF", "old");
  // a.jpg -> a.PDF new; a.tif -> a.PDF exists now: No; b.BMP: Yes.
  ui.answers = {MsgAnswer::No, MsgAnswer::Yes};
  driver.OnConvert(req);
  ASSERT_EQ(ui.results.size(), 1u);
  const ConversionResults& r = ui.results[0];
  EXPECT_EQ(r.converted,
            (std::deque<std::string>{In("a.jpg"), In("b.BMP"), In("sub/d.jpeg"), In("x.tiff")}));
  EXPECT_TRUE(r.failed.empty());   // a.tif is on neither list
  EXPECT_EQ(ui.progressTakes, 4);  // No skips the cancel test
  EXPECT_EQ(ui.fileTexts.size(), 5u);

  // Cancel at the question ends the run: 15002 and no result dialog.
  calls.clear();
  ui = test::FakeConverterUi();
  ui.answers = {MsgAnswer::Cancel};
  driver.OnConvert(req);
  EXPECT_TRUE(calls.empty());  // out/a.PDF already exists now
  EXPECT_EQ(ui.BoxTexts(),
            (Strings{LoadMessage1(kMsgOverwrite, Out("a.PDF")), "変換を中断しました。"}));
  EXPECT_TRUE(ui.results.empty());
  ExpectDialogsClosed();

  // OwNoConf: no question, the second a.PDF replaces the first.
  calls.clear();
  ui = test::FakeConverterUi();
  req.settings.OwNoConf = 1;
  driver.OnConvert(req);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(calls.size(), 5u);
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted.size(), 5u);
}

TEST_F(DriverTest, CancelDuringConversion) {
  MakeTree();
  req.settings.NeNoConf = 1;
  req.settings.OwNoConf = 1;
  // Cancel, then No: the run goes on, and the question is asked once.
  ui.progressCancelAt = {1};
  ui.answers = {MsgAnswer::No};
  driver.OnConvert(req);
  EXPECT_EQ(calls.size(), 5u);
  EXPECT_EQ(ui.BoxTexts(), (Strings{"変換作業を中止しますか？"}));
  EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::YesNo);
  ASSERT_EQ(ui.results.size(), 1u);

  // Cancel, then Yes after the second file: what was converted stays.
  calls.clear();
  ui = test::FakeConverterUi();
  ui.progressCancelAt = {2};
  ui.answers = {MsgAnswer::Yes};
  driver.OnConvert(req);
  EXPECT_EQ(calls.size(), 2u);
  EXPECT_EQ(ui.BoxTexts(), (Strings{"変換作業を中止しますか？", "変換を中断しました。"}));
  EXPECT_TRUE(ui.results.empty());
  ExpectDialogsClosed();
}

TEST_F(DriverTest, CancelDuringSearch) {
  MakeTree();
  ui.searchCancelAt = {1};
  ui.answers = {MsgAnswer::Yes};
  driver.OnConvert(req);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(ui.BoxTexts(), (Strings{"変換作業を中止しますか？", "変換を中断しました。"}));
  EXPECT_EQ(ui.calls, (Strings{"ShowSearch", "HideSearch"}));
  EXPECT_TRUE(ui.results.empty());

  // Cancel deep in a sub-folder ends the whole search.
  ui = test::FakeConverterUi();
  req.settings.NeNoConf = 1;
  for (int i = 0; i < 5; ++i) tmp.File("in/sub/z" + std::to_string(i) + ".jpg");
  ui.searchCancelAt = {3};
  ui.answers = {MsgAnswer::Yes};
  driver.OnConvert(req);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(ui.boxes.size(), 2u);

  // Cancel answered No goes on.
  ui = test::FakeConverterUi();
  req.settings.OwNoConf = 1;
  ui.searchCancelAt = {1};
  ui.answers = {MsgAnswer::No};
  driver.OnConvert(req);
  EXPECT_EQ(calls.size(), 10u);
  ASSERT_EQ(ui.results.size(), 1u);
}

TEST_F(DriverTest, NothingFound) {
  tmp.File("in/c.png");
  tmp.File("in/.hid/e.jpg");
  tmp.Dir("out");
  req.input = tmp / "in";
  req.output = tmp / "out";
  driver.OnConvert(req);
  EXPECT_EQ(ui.BoxTexts(),
            (Strings{"変換すべき画像ファイルが見つかりませんでした。", "異常終了。"}));
  EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(ui.boxes[1].icon, MsgIcon::Information);
  EXPECT_TRUE(calls.empty());
}

TEST_F(DriverTest, HandlerMessages) {
  tmp.Dir("in");
  tmp.File("a.jpg");
  auto run = [&](const std::string& in, const std::string& out, ConverterSettings s = {}) {
    ui = test::FakeConverterUi();
    req.input = in;
    req.output = out;
    req.settings = s;
    driver.OnConvert(req);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(ui.boxes.size(), 1u);
    return ui.boxes.empty() ? std::string() : ui.boxes[0].text;
  };
  EXPECT_EQ(run("", tmp / "out"),
            "入力のファイルまたはフォルダが、入力されていないか不正な文字が使われています。");
  EXPECT_EQ(run(tmp / "nope.jpg", tmp / "out"),
            "入力に指定されたファイルまたはフォルダが存在しません。");
  EXPECT_EQ(run(tmp / "nope", tmp / "out"),
            "入力に指定されたファイルまたはフォルダが存在しません。");
  ConverterSettings none;
  none.ObjBMP = none.ObjJPEG = none.ObjTIFF = 0;
  EXPECT_EQ(run(tmp / "in", tmp / "out", none),
            "入力にフォルダが指定されているのに、対象が選択されていません。");
  EXPECT_EQ(run(tmp / "in", tmp / "o.pdf"),
            "入力にフォルダを指定して、出力でファイルを選ぶことはできません。");
  EXPECT_EQ(run(tmp / "in", tmp / "a.jpg"),
            "入力にフォルダを指定して、出力でファイルを選ぶことはできません。");
  EXPECT_EQ(run(tmp / "a.jpg", ""),
            "出力のファイルまたはフォルダが、入力されていないか不正な文字が使われています。");
  // A NUL byte is an invalid character, not the end of the path.
  EXPECT_EQ(run(tmp / std::string("a.jpg\0x", 7), tmp / "out"),
            "入力のファイルまたはフォルダが、入力されていないか不正な文字が使われています。");
  EXPECT_EQ(run(tmp / "a.jpg", tmp / std::string("in\0x", 4)),
            "出力のファイルまたはフォルダが、入力されていないか不正な文字が使われています。");
  EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Exclamation);
}

TEST_F(DriverTest, OneInputFile) {
  std::string in = tmp.File("a.jpg");
  std::string dotted = tmp.File("photo.2020.jpg");
  tmp.Dir("D");
  auto run = [&](const std::string& input, const std::string& out) {
    calls.clear();
    ui = test::FakeConverterUi();
    req.input = input;
    req.output = out;
    driver.OnConvert(req);
    return calls.empty() ? std::string() : calls[0].second;
  };
  EXPECT_EQ(run(in, tmp / "out"), tmp / "out.PDF");
  EXPECT_EQ(ui.calls, (Strings{"ShowResult"}));  // no search nor progress dialog
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted, (std::deque<std::string>{in}));
  EXPECT_EQ(run(in, tmp / "o2.pdf"), tmp / "o2.pdf");
  EXPECT_EQ(run(in, tmp / "out.txt"), tmp / "out.txt");
  EXPECT_EQ(run(in, tmp / "D"), tmp / "D/a.PDF");
  req.settings.OwNoConf = 1;  // D/a.PDF exists from here on
  EXPECT_EQ(run(in, tmp / "D/"), tmp / "D/a.PDF");
  EXPECT_EQ(run(dotted, tmp / "D"), tmp / "D/photo.2020.PDF");
  req.settings.OutFileName = 1;
  EXPECT_EQ(run(in, tmp / "D"), tmp / "D/a_jpg.PDF");
  req.settings.OutFileName = 0;
  req.settings.OwNoConf = 0;

  // An existing target is asked for; No ends quietly.
  ui = test::FakeConverterUi();
  calls.clear();
  ui.answers = {MsgAnswer::No};
  req.output = tmp / "out.PDF";
  driver.OnConvert(req);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(ui.BoxTexts(), (Strings{LoadMessage1(kMsgOverwrite, tmp / "out.PDF")}));
  EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::YesNo);

  // A failed file is listed as failed and the run still ends normally.
  std::string bad = tmp.File("bad.bmp");
  EXPECT_EQ(run(bad, tmp / "D"), tmp / "D/bad.PDF");
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].failed, (std::deque<std::string>{bad}));

  // A FIFO is never opened; it fails and standard error says why.
  ASSERT_EQ(::mkfifo((tmp / "pipe.jpg").c_str(), 0600), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(run(tmp / "pipe.jpg", tmp / "D"), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            tmp / "pipe.jpg: cannot read the file: not a regular file\n");
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].failed.size(), 1u);

  // An output name too long for the system fails before any conversion.
  const std::string deep = tmp.Dir(std::string(250, 'd'));
  std::string longName = deep;
  while (longName.size() < PATH_MAX) longName += "/" + std::string(250, 'e');
  longName += ".pdf";
  testing::internal::CaptureStderr();
  EXPECT_EQ(run(in, longName), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            in + ": cannot write " + longName + ": " + std::strerror(ENAMETOOLONG) + "\n");
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].failed, (std::deque<std::string>{in}));
}

TEST_F(DriverTest, DroppedItems) {
  tmp.File("x/pics/p.jpg");
  tmp.File("x/pics/deep/q.tif");
  std::string file = tmp.File("y/photo.bmp");
  tmp.File("y/skip.png");
  tmp.Dir("out");
  req.droppedMode = true;
  req.droppedPaths = {tmp / "x/pics/", file, tmp / "y/skip.png", tmp / "gone"};
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  driver.OnConvert(req);
  EXPECT_EQ(CalledOutputs(), (Strings{"/pics/deep/q.PDF", "/pics/p.PDF", "/photo.PDF"}));
  EXPECT_TRUE(IsDir(Out("pics/deep")));

  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted.size(), 3u);

  // A dropped folder without image files gets no output folder, even after
  // one that had some.
  calls.clear();
  ui = test::FakeConverterUi();
  tmp.File("z/empty/readme.txt");
  req.settings.OwNoConf = 1;
  req.droppedPaths = {tmp / "x/pics", tmp / "z/empty"};
  driver.OnConvert(req);
  EXPECT_EQ(calls.size(), 2u);
  EXPECT_FALSE(IsDir(Out("empty")));
  EXPECT_EQ(driver.ConversionMap().size(), 2u);
}

TEST_F(DriverTest, LinksLoopsAndSpecialFiles) {
  tmp.File("in/a.jpg");
  tmp.File("real/r.jpg");
  tmp.Dir("out");
  ASSERT_EQ(::symlink((tmp / "in").c_str(), (tmp / "in/loop").c_str()), 0);
  ASSERT_EQ(::symlink((tmp / "real").c_str(), (tmp / "in/linked").c_str()), 0);
  ASSERT_EQ(::mkfifo((tmp / "in/fifo.jpg").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir((tmp / "in/folder.jpg").c_str(), 0755), 0);
  req.input = tmp / "in";
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  driver.OnConvert(req);
  EXPECT_EQ(CalledOutputs(), (Strings{"/a.PDF", "/linked/r.PDF"}));
  ExpectDialogsClosed();
}

TEST_F(DriverTest, ExceptionsCloseDialogsAndShowMessages) {
  MakeTree();
  req.settings.NeNoConf = 1;
  convertHook = [](const std::string&, const std::string&) -> int32_t {
    throw std::runtime_error("boom");
  };
  driver.OnConvert(req);
  EXPECT_EQ(ui.BoxTexts(), (Strings{"致命的なエラーが発生しました。"}));
  EXPECT_EQ(ui.calls, (Strings{"ShowSearch", "HideSearch", "ShowProgress", "HideProgress"}));
  ExpectDialogsClosed();
  EXPECT_FALSE(driver.Running());

  ui = test::FakeConverterUi();
  convertHook = [](const std::string&, const std::string&) -> int32_t { throw std::bad_alloc(); };
  driver.OnConvert(req);
  EXPECT_EQ(ui.BoxTexts(), (Strings{"メモリが足りません。"}));
  ExpectDialogsClosed();

  // Thrown inside the search (from the pump).
  ui = test::FakeConverterUi();
  ui.onPump = [] { throw 7; };
  driver.OnConvert(req);
  EXPECT_EQ(ui.BoxTexts(), (Strings{"致命的なエラーが発生しました。"}));
  EXPECT_EQ(ui.calls, (Strings{"ShowSearch", "HideSearch"}));
}

TEST_F(DriverTest, ConvertFromThePumpIsIgnored) {
  MakeTree();
  req.settings.NeNoConf = 1;
  req.settings.OwNoConf = 1;
  int nested = 0;
  ui.onPump = [&] {
    ++nested;
    EXPECT_TRUE(driver.Running());
    driver.OnConvert(req);
  };
  driver.OnConvert(req);
  EXPECT_GT(nested, 0);
  EXPECT_EQ(calls.size(), 5u);
  EXPECT_EQ(ui.results.size(), 1u);
}

namespace {

std::string Link(const test::TempDir& tmp, const std::string& target, const std::string& rel) {
  const std::string path = tmp / rel;
  if (::symlink(target.c_str(), path.c_str()) != 0) ADD_FAILURE() << "cannot link " << path;
  return path;
}

// The folders under a folder, at any depth (links not followed).
size_t CountFolders(const std::string& root) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    if (entry.is_directory() && !entry.is_symlink()) ++count;
  return count;
}

}  // namespace

TEST_F(DriverTest, EachFolderIsEnteredOnceWhateverLinksLeadToIt) {
  // A diamond: a and b both lead to shared, which links back up to in.
  tmp.File("in/shared/s.jpg");
  tmp.File("in/top.jpg");
  tmp.Dir("out");
  Link(tmp, tmp / "in/shared", "in/a");
  Link(tmp, "shared", "in/b");
  Link(tmp, "..", "in/shared/up");
  req.input = tmp / "in";
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  driver.OnConvert(req);
  // The first path in the search's order (a before b and shared) is the one
  // kept; the others add no file and no output folder.
  EXPECT_EQ(MapRelative(), (Calls{{"/a/s.jpg", "/a/s.PDF"}, {"/top.jpg", "/top.PDF"}}));
  EXPECT_EQ(CalledOutputs(), (Strings{"/a/s.PDF", "/top.PDF"}));
  EXPECT_EQ(CountFolders(tmp / "out"), 1u);
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted.size(), 2u);

  // Dropped items share the run's folders: shared dropped by two paths, and
  // in, which holds it, are each searched once, in the order dropped.
  calls.clear();
  ui = test::FakeConverterUi();
  req.droppedMode = true;
  req.droppedPaths = {tmp / "in/shared", tmp / "in/b", tmp / "in"};
  driver.OnConvert(req);
  // Dropped first, shared leads up to in, which is entered there.
  EXPECT_EQ(CalledOutputs(), (Strings{"/shared/s.PDF", "/shared/up/top.PDF"}));
  EXPECT_TRUE(IsDir(Out("shared/up")));
  EXPECT_FALSE(IsDir(Out("in")));
  EXPECT_FALSE(IsDir(Out("b")));

  // Without sub-folders too.
  calls.clear();
  ui = test::FakeConverterUi();
  req.settings.SubFolder = 0;
  req.settings.OwNoConf = 1;
  req.droppedPaths = {tmp / "in/b", tmp / "in/a", tmp / "in/shared/"};
  driver.OnConvert(req);
  EXPECT_EQ(CalledOutputs(), (Strings{"/b/s.PDF"}));

  // A new run searches afresh.
  calls.clear();
  ui = test::FakeConverterUi();
  driver.OnConvert(req);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(DriverTest, AFolderTreeDoubledByLinksAtEveryLevelConvertsOnce) {
  // 15 folders side by side, each of the first 14 holding two links to the
  // next: 2^14 paths lead to the image in the last.
  for (int i = 1; i <= 15; ++i) tmp.Dir("t/d" + std::to_string(i));
  for (int i = 1; i < 15; ++i) {
    const std::string next = "../d" + std::to_string(i + 1);
    Link(tmp, next, "t/d" + std::to_string(i) + "/l");
    Link(tmp, next, "t/d" + std::to_string(i) + "/r");
  }
  tmp.File("t/d15/img.jpg");
  tmp.Dir("out");
  req.input = tmp / "t/d1";
  req.output = tmp / "out";
  req.settings.NeNoConf = 1;
  driver.OnConvert(req);
  std::string relative;
  for (int i = 1; i < 15; ++i) relative += "/l";
  EXPECT_EQ(CalledOutputs(), (Strings{relative + "/img.PDF"}));
  EXPECT_EQ(driver.FolderQueue().size(), 0u);  // all made
  EXPECT_EQ(CountFolders(tmp / "out"), 14u);
  ASSERT_EQ(ui.results.size(), 1u);
  EXPECT_EQ(ui.results[0].converted.size(), 1u);
  EXPECT_EQ(ui.stateTexts.size(), 15u);  // each folder shown once
}

namespace {

// A chain of folders, each named `name` inside the one before, under base,
// with a file x.jpg in each: made and removed by steps relative to the
// folder above, as their paths outgrow what the system takes whole.
class DeepTree {
 public:
  DeepTree(const std::string& base, const std::string& name, int levels)
      : base_(base), name_(name), levels_(levels) {
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string path = base;
    for (int i = 0; i < levels && fd >= 0; ++i) {
      path += "/" + name;
      if (::mkdirat(fd, name.c_str(), 0755) != 0) ADD_FAILURE() << "mkdirat at level " << i;
      const int inner = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = inner;
      const int file = ::openat(fd, "x.jpg", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      if (file < 0 || ::write(file, "x", 1) != 1) ADD_FAILURE() << "file at level " << i;
      if (file >= 0) ::close(file);
      files_.push_back(path + "/x.jpg");
    }
    if (fd >= 0) ::close(fd);
  }
  ~DeepTree() {
    std::vector<int> fds{::open(base_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    for (int i = 0; i < levels_ && fds.back() >= 0; ++i)
      fds.push_back(::openat(fds.back(), name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (size_t i = fds.size() - 1; i > 0; --i) {
      if (fds[i] >= 0) {
        ::unlinkat(fds[i], "x.jpg", 0);
        ::close(fds[i]);
      }
      ::unlinkat(fds[i - 1], name_.c_str(), AT_REMOVEDIR);
    }
    if (fds[0] >= 0) ::close(fds[0]);
  }
  DeepTree(const DeepTree&) = delete;
  DeepTree& operator=(const DeepTree&) = delete;

  // The files' paths, top first.
  const std::vector<std::string>& Files() const { return files_; }

 private:
  std::string base_;
  std::string name_;
  int levels_;
  std::vector<std::string> files_;
};

}  // namespace

TEST_F(DriverTest, EveryFileFoundIsListedEvenWherePathsOutgrowTheSystemsLimit) {
  // Levels of 200-byte names until the files' paths are well past the
  // limit; the output folder's longer name makes some files fail only for
  // their output paths.
  tmp.Dir("in");
  const std::string output = tmp.Dir(std::string(250, 'o'));
  const std::string name(200, 'n');
  const int levels = static_cast<int>((PATH_MAX + 1000) / (name.size() + 1));
  const DeepTree tree(tmp / "in", name, levels);
  req.input = tmp / "in";
  req.output = output;
  req.settings.NeNoConf = 1;
  testing::internal::CaptureStderr();
  driver.OnConvert(req);
  const std::string said = testing::internal::GetCapturedStderr();

  // Converted in the order of the paths' bytes (the deepest first).
  Strings files = tree.Files();
  std::sort(files.begin(), files.end());
  std::deque<std::string> converted, failed;
  std::string reasons;
  int unreadable = 0, unwritable = 0;
  for (const std::string& input : files) {
    const std::string out = output + input.substr((tmp / "in").size(), std::string::npos);
    const std::string pdf = out.substr(0, out.size() - 4) + ".PDF";
    if (input.size() >= PATH_MAX) {
      ++unreadable;
      failed.push_back(input);
      reasons += input + ": cannot read the file: " + std::strerror(ENAMETOOLONG) + "\n";
    } else if (pdf.size() >= PATH_MAX) {
      ++unwritable;
      failed.push_back(input);
      reasons += input + ": cannot write " + pdf + ": " + std::strerror(ENAMETOOLONG) + "\n";
    } else {
      converted.push_back(input);
    }
  }
  ASSERT_GT(unreadable, 0);
  ASSERT_GT(unwritable, 0);
  ASSERT_GT(converted.size(), 1u);
  ASSERT_EQ(ui.results.size(), 1u) << ui.BoxTexts().size();
  EXPECT_TRUE(ui.results[0].converted == converted);
  EXPECT_TRUE(ui.results[0].failed == failed);
  EXPECT_TRUE(said == reasons) << said.size() << " bytes said, " << reasons.size() << " expected";
  // Only the files that could be written were handed to the conversion,
  // into the output folders that could be made.
  EXPECT_EQ(calls.size(), converted.size());
  for (const auto& call : calls) EXPECT_LT(call.second.size(), size_t{PATH_MAX});
  // No folder stays behind that was made only for files that could not be
  // written: each one left holds a result.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(output)) {
    if (entry.is_directory()) {
      EXPECT_FALSE(std::filesystem::is_empty(entry.path()));
    }
  }
  ExpectDialogsClosed();
}
