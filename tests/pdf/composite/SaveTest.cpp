// Saving and flushing: the written file, revisions, and failures that must
// leave an existing file as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/composite/CPDFTrailer.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFInfoDict.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/document/DocTestSupport.h"
#include "pdf/document/ImageFileMaker.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"
#include "tests/platform/ScopedTestState.h"

namespace {

std::unique_ptr<CPDFDoc> OnePageDoc() {
  auto doc = std::make_unique<CPDFDoc>();
  EXPECT_TRUE(doc->Create(false, false, 1, 3));
  EXPECT_TRUE(doc->CreatePage(-1, 1));
  CPDFPage* page = doc->GetPage(0);
  EXPECT_NE(page, nullptr);
  if (page) page->Set_MediaBox(new CPDFRect(0, 0, 612, 792));
  return doc;
}

// Checks every xref line of the last table: 20 bytes, and each in-use
// offset at the first digit of "N G obj\r\n". Answers the table's header.
std::string CheckXRef(const std::string& text) {
  size_t xref = text.rfind("\nxref\r\n");
  EXPECT_NE(xref, std::string::npos);
  if (xref == std::string::npos) return "";
  ++xref;
  const size_t startxref = text.rfind("startxref\r\n");
  EXPECT_EQ(std::stoul(text.substr(startxref + 11)), xref);
  size_t at = xref + 6;
  const size_t end = text.find("trailer\r\n", at);
  const std::string first = text.substr(at, text.find("\r\n", at) - at);
  while (at < end) {
    const size_t eol = text.find("\r\n", at);
    int32_t number = 0;
    int32_t count = 0;
    if (std::sscanf(text.c_str() + at, "%d %d", &number, &count) != 2) {
      ADD_FAILURE() << "subsection header expected at " << at;
      break;
    }
    at = eol + 2;
    for (int32_t i = 0; i < count; ++i, at += 20) {
      const std::string line = text.substr(at, 20);
      EXPECT_TRUE(std::regex_match(line, std::regex("[0-9]{10} [0-9]{5} [nf] \n"))) << line;
      if (line[17] != 'n') continue;
      const size_t offset = std::stoul(line.substr(0, 10));
      const std::string head = std::to_string(number + i) + " " +
                               std::to_string(std::stoi(line.substr(11, 5))) + " obj\r\n";
      EXPECT_EQ(text.compare(offset, head.size(), head), 0) << head;
    }
  }
  return first;
}

TEST(SaveTest, OnePageDocumentLayoutAndIndependentCheck) {
  TempFolder folder;
  const std::string path = folder.File("one.pdf");
  auto doc = OnePageDoc();
  ASSERT_TRUE(doc->Save(path.c_str(), false, false)) << doc->GetError().GetMessage();
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  EXPECT_STREQ(doc->GetFileName(), path.c_str());
  EXPECT_EQ(CountTempFiles(Folder(folder)), 0);

  const std::string text = ReadText(path);
  EXPECT_EQ(text.substr(0, 17), "%PDF-1.3\r\n%\xE2\xE3\xCF\xD3\r\n");
  EXPECT_EQ(text.substr(17, 11), "1 0 obj\r\n<<");
  // Pages, catalog, the page's resources, the page, the information.
  EXPECT_EQ(CheckXRef(text), "0 6");
  EXPECT_NE(text.find("1 0 obj\r\n<<\r\n/Count 1\n/Kids [4 0 R]\n/Type /Pages\n>>\r\nendobj\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("/Parent 1 0 R\n/Resources 3 0 R\n/Type /Page\n"), std::string::npos);
  EXPECT_NE(text.find("trailer\r\n<<\r\n/Info 5 0 R\n/Root 2 0 R\n/Size 6\n>>\r\nstartxref\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("/Producer (Pennaform)"), std::string::npos);
  EXPECT_NE(text.find("/CreationDate (D:"), std::string::npos);
  EXPECT_EQ(text.find("/ModDate"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "%%EOF\r\n");
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;

  // A second full save over the same file replaces it and dates the change.
  CPDFObjRef ref;
  ASSERT_TRUE(doc->RegistObj(new CPDFString("later"), &ref));
  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  const std::string second = ReadText(path);
  EXPECT_EQ(CheckXRef(second), "0 7");
  EXPECT_NE(second.find("/ModDate (D:"), std::string::npos);
  EXPECT_EQ(second.find("/Prev"), std::string::npos);
  const auto creation = [](const std::string& t) { return t.substr(t.find("/CreationDate"), 32); };
  EXPECT_EQ(creation(second), creation(text));
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
  EXPECT_EQ(CountTempFiles(Folder(folder)), 0);
}

TEST(SaveTest, IncrementalSaveAppendsTheChangedObjectsOnly) {
  TempFolder folder;
  const std::string path = folder.File("inc.pdf");
  auto doc = OnePageDoc();
  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->Flush());
  const std::string first = ReadText(path);

  CPDFObjRef ref;
  ASSERT_TRUE(doc->RegistObj(new CPDFString("added"), &ref));
  EXPECT_EQ(ref.GetNumber(), 6);
  ASSERT_TRUE(doc->Save(path.c_str(), true, false));
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  const std::string text = ReadText(path);
  ASSERT_GT(text.size(), first.size());
  EXPECT_EQ(text.compare(0, first.size(), first), 0);
  const std::string appended = text.substr(first.size());
  // The information dictionary (changed) and the new object, plus object 0.
  EXPECT_NE(appended.find("xref\r\n0 1\r\n0000000000 65535 f \n5 2\r\n"), std::string::npos);
  const size_t prev = first.rfind("startxref\r\n") + 11;
  EXPECT_NE(appended.find("/Prev " + std::to_string(std::stoul(first.substr(prev))) + "\n"),
            std::string::npos);
  EXPECT_EQ(appended.find("1 0 obj"), std::string::npos);
  CheckXRef(text);
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;

  // The reopened file serves objects of the earlier revisions.
  EXPECT_EQ(doc->GetPageCount(), 1);
  auto* added = dynamic_cast<CPDFString*>(doc->GetObj(ref));
  ASSERT_NE(added, nullptr);
  EXPECT_STREQ(added->c_str(), "added");

  // An unchanged object of a flushed revision may go without a save: it is
  // read again from the file when asked for.
  ASSERT_TRUE(doc->ReleaseObj(ref, true));
  EXPECT_EQ(doc->FindObj(ref, false), nullptr);
  auto* again = dynamic_cast<CPDFString*>(doc->GetObj(ref));
  ASSERT_NE(again, nullptr);
  EXPECT_STREQ(again->c_str(), "added");
}

TEST(SaveTest, LinearizingRecordsTheLaterPagesOnly) {
  TempFolder folder;
  const std::string path = folder.File("lin.pdf");
  auto doc = OnePageDoc();
  ASSERT_TRUE(doc->CreatePage(-1, 2));
  CPDFObjRef refs[3];
  for (int32_t i = 0; i < 3; ++i) doc->GetPage(i, &refs[i]);
  ASSERT_TRUE(doc->Save(path.c_str(), true, true));
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  CPDFObjRef mapped;
  EXPECT_FALSE(doc->GetLinearRef(refs[0], &mapped));
  ASSERT_TRUE(doc->GetLinearRef(refs[1], &mapped));
  EXPECT_EQ(mapped, CPDFObjRef(1, 0));
  ASSERT_TRUE(doc->GetLinearRef(refs[2], &mapped));
  EXPECT_EQ(mapped, CPDFObjRef(2, 0));
  // The document itself is untouched by it.
  EXPECT_EQ(doc->GetPageCount(), 3);
  CPDFObjRef again;
  doc->GetPage(1, &again);
  EXPECT_EQ(again, refs[1]);
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
}

TEST(SaveTest, ErrorsOfTheSaveProtocol) {
  auto doc = OnePageDoc();
  EXPECT_FALSE(doc->Flush());
  EXPECT_EQ(doc->GetError().GetCode(), 3);
  EXPECT_STREQ(doc->GetError().GetMessage(), "CPDFDoc::Save() has not been called.");
  EXPECT_FALSE(doc->Save("", false, false));
  EXPECT_EQ(doc->GetError().GetCode(), 3);
  EXPECT_FALSE(doc->Save(nullptr, false, false));
  EXPECT_FALSE(doc->Flush());

  TempFolder folder;
  const std::string missing = folder.File("no/such/folder/x.pdf");
  EXPECT_FALSE(doc->Save(missing.c_str(), false, false));
  EXPECT_EQ(doc->GetError().GetCode(), 1);
  EXPECT_STRNE(doc->GetError().GetMessage(), "");
}

TEST(SaveTest, ObjectsReleasedDuringASaveAreReadBack) {
  TempFolder folder;
  const std::string path = folder.File("rel.pdf");
  auto doc = OnePageDoc();
  CPDFObjRef ref;
  auto* dict = new CPDFDict;
  dict->Set(doc.get(), CPDFName("Key"), new CPDFString("value"));
  ASSERT_TRUE(doc->RegistObj(dict, &ref));

  // Without a save a new object stays: nothing could bring it back.
  ASSERT_TRUE(doc->ReleaseObj(ref, true));
  ASSERT_EQ(doc->GetObj(ref), dict);

  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->ReleaseObj(ref, true));
  auto* back = dynamic_cast<CPDFDict*>(doc->GetObj(ref));
  ASSERT_NE(back, nullptr) << doc->GetError().GetMessage();
  EXPECT_EQ(doc->GetError().GetCode(), 0);
  auto* value = dynamic_cast<CPDFString*>(back->Get(doc.get(), CPDFName("Key")));
  ASSERT_NE(value, nullptr);
  EXPECT_STREQ(value->c_str(), "value");
  // A change after the read-back is what the file gets.
  back->Set(doc.get(), CPDFName("Key"), new CPDFString("changed"));
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  const std::string text = ReadText(path);
  EXPECT_NE(text.find("(changed)"), std::string::npos);
  CheckXRef(text);
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
}

TEST(SaveTest, StreamsReleasedDuringASaveKeepTheirData) {
  TempFolder folder;
  const std::string path = folder.File("stream.pdf");
  auto doc = OnePageDoc();
  CPDFStream content;
  content.SetData("q 0 0 1 rg 0 0 10 10 re f Q", 27);
  ASSERT_TRUE(doc->GetPage(0)->AddContents(&content));
  CPDFObjRef ref;
  doc->GetPage(0)->Get_Contents(&ref);
  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->ReleaseObj(ref, true));
  auto* back = dynamic_cast<CPDFStream*>(doc->GetObj(ref));
  ASSERT_NE(back, nullptr) << doc->GetError().GetMessage();
  EXPECT_FALSE(back->IsExternal());
  EXPECT_EQ(std::string(back->GetData(), back->GetDataLength()), "q 0 0 1 rg 0 0 10 10 re f Q");
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
  EXPECT_NE(ReadText(path).find("/Length 27\n>>\r\nstream\r\nq 0 0 1 rg"), std::string::npos);
}

TEST(SaveTest, AReferenceCycleWhileLoadingIsRefused) {
  TempFolder folder;
  const std::string path = folder.File("cycle.pdf");
  auto doc = OnePageDoc();
  auto* stream = new CPDFStream(doc.get());
  stream->SetData("abc", 3);
  CPDFObjRef ref;
  ASSERT_TRUE(doc->RegistObj(stream, &ref));
  // Its Length names the stream itself.
  stream->SetAt(CPDFName("Length"), new CPDFObjRef(ref));
  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->ReleaseObj(ref, true));
  EXPECT_EQ(doc->GetObj(ref), nullptr);
  EXPECT_EQ(doc->GetError().GetCode(), 4);
  EXPECT_EQ(std::string(doc->GetError().GetMessage()),
            "circular reference: " + std::to_string(ref.GetNumber()) + " 0");
}

TEST(SaveTest, LoadObjChecksTheObjectHeader) {
  TempFolder folder;
  const std::string path = folder.File("load.pdf");
  auto doc = OnePageDoc();
  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->Flush());
  const std::string text = ReadText(path);
  const int32_t offset = static_cast<int32_t>(text.find("4 0 obj"));
  std::unique_ptr<CPDFObject> page(doc->LoadObj(CPDFObjRef(4, 0), offset));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->GetType(), CPDFObject::kDictionary);
  EXPECT_EQ(doc->LoadObj(CPDFObjRef(5, 0), offset), nullptr);
  EXPECT_EQ(doc->GetError().GetCode(), 4);
  EXPECT_STREQ(doc->GetError().GetMessage(), "invalidobjref: 4 0");
  EXPECT_EQ(doc->LoadObj(CPDFObjRef(4, 0), offset + 2), nullptr);
  EXPECT_EQ(doc->GetError().GetCode(), 4);
  EXPECT_STREQ(doc->GetError().GetMessage(), "invalidtoken: obj");
  EXPECT_EQ(doc->LoadObj(CPDFObjRef(4, 0), static_cast<int32_t>(text.size()) + 10), nullptr);
  EXPECT_EQ(doc->GetError().GetCode(), 4);
}

// True when the folder's file system makes files without a name.
bool MakesUnnamedFiles(const std::string& folder) {
  const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  return true;
}

// Runs the body in a child process; true when it exits with 0.
template <class F>
bool InChild(F body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body() ? 0 : 1);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SaveTest, FailedWritesLeaveTheExistingFileUnchanged) {
  TempFolder folder;
  const std::string path = folder.File("keep.pdf");
  const std::string old = "an earlier file that must survive";
  folder.Write("keep.pdf", std::vector<uint8_t>(old.begin(), old.end()));

  // A file-size limit below what the document needs: the write fails.
  EXPECT_TRUE(InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{600, 600};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
    auto doc = OnePageDoc();
    for (int i = 0; i < 40; ++i) doc->RegistObj(new CPDFString("padding padding padding"), nullptr);
    const bool saved = doc->Save(path.c_str(), false, false) && doc->Flush();
    // The reason names the file being written as the output.
    const std::string reason = doc->GetError().GetMessage();
    return !saved && doc->GetError().GetCode() == CPDFException::kRuntime &&
           reason == "cannot write the output file " + path + ": File too large";
  }));
  EXPECT_EQ(ReadText(path), old);
  EXPECT_EQ(CountTempFiles(Folder(folder)), 0);

  // A folder without write permission (as root the child drops to an
  // ordinary user first, for whom the permission bits count).
  ASSERT_EQ(chmod(Folder(folder).c_str(), 0555), 0);
  EXPECT_TRUE(InChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return false;
    auto doc = OnePageDoc();
    const bool saved = doc->Save(path.c_str(), false, false);
    return !saved && doc->GetError().GetCode() == 1 && !doc->Flush();
  }));
  chmod(Folder(folder).c_str(), 0755);
  EXPECT_EQ(ReadText(path), old);

  // A save that is never flushed leaves no temporary file behind; where the
  // file system allows it there is none to see even while it runs.
  {
    auto doc = OnePageDoc();
    ASSERT_TRUE(doc->Save(path.c_str(), false, false));
    EXPECT_EQ(CountTempFiles(Folder(folder)), MakesUnnamedFiles(Folder(folder)) ? 0 : 1);
  }
  EXPECT_EQ(CountTempFiles(Folder(folder)), 0);
  EXPECT_EQ(ReadText(path), old);
}

TEST(SaveTest, NewFileGetsTheUsualPermissions) {
  TempFolder folder;
  const std::string path = folder.File("mode.pdf");
  const mode_t old = umask(022);
  auto doc = OnePageDoc();
  ASSERT_TRUE(doc->Save(path.c_str(), false, false));
  ASSERT_TRUE(doc->Flush());
  umask(old);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool IsCompletePdf(const std::string& path) {
  const std::string text = ReadText(path);
  return text.rfind("%PDF-1.3", 0) == 0 && text.size() > 7 &&
         text.substr(text.size() - 7) == "%%EOF\r\n";
}

TEST(SaveTest, AnOutputThatIsASymbolicLinkIsWrittenThrough) {
  pntest::TempFolder root("pnsave");
  const fs::path links = root.Path() / "links";
  const fs::path files = root.Path() / "files";
  fs::create_directory(links);
  fs::create_directory(files);
  const std::string old = "an earlier file";
  { std::ofstream(files / "old.pdf", std::ios::binary) << old; }
  fs::create_symlink("../files/old.pdf", links / "old.pdf");  // relative
  fs::create_symlink(files / "new.pdf", links / "new.pdf");   // target not there yet

  for (const char* name : {"old.pdf", "new.pdf"}) {
    const std::string link = (links / name).string();
    auto doc = OnePageDoc();
    ASSERT_TRUE(doc->Save(link.c_str(), false, false)) << doc->GetError().GetMessage();
    ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
    EXPECT_TRUE(fs::is_symlink(link)) << name;
    EXPECT_TRUE(IsCompletePdf((files / name).string())) << name;
    std::string report;
    EXPECT_TRUE(QpdfAccepts((files / name).string(), &report)) << report;

    // An incremental save goes through the link as well.
    const auto before = fs::file_size(files / name);
    ASSERT_TRUE(doc->RegistObj(new CPDFString("more"), nullptr));
    ASSERT_TRUE(doc->Save(link.c_str(), true, false)) << doc->GetError().GetMessage();
    ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_GT(fs::file_size(files / name), before);
    EXPECT_TRUE(QpdfAccepts((files / name).string(), &report)) << report;
  }
  EXPECT_EQ(Names(links), (std::vector<std::string>{"new.pdf", "old.pdf"}));
  EXPECT_EQ(Names(files), (std::vector<std::string>{"new.pdf", "old.pdf"}));
}

TEST(SaveTest, AMissingTmpdirStillSavesLargeData) {
  pntest::TempFolder root("pnsave");
  const std::string path = (root.Path() / "big.pdf").string();
  pntest::ScopedEnv tmpdir("TMPDIR", (root.Path() / "missing").string());
  CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  auto doc = OnePageDoc();
  auto* stream = new CPDFStream(doc.get());
  ASSERT_TRUE(stream->SetData(300000, 'z'));  // stored in a mapped work file
  ASSERT_TRUE(stream->FlateEncode());
  ASSERT_TRUE(doc->RegistObj(stream, nullptr));
  ASSERT_TRUE(doc->Save(path.c_str(), false, false)) << doc->GetError().GetMessage();
  ASSERT_TRUE(doc->Flush()) << doc->GetError().GetMessage();
  std::string report;
  EXPECT_TRUE(QpdfAccepts(path, &report)) << report;
  EXPECT_EQ(Names(root.Path()), std::vector<std::string>{"big.pdf"});
}

// Where a child conversion is stopped: a kill at any of these moments must
// leave nothing in the temporary folder and, in the output folder, nothing
// but the earlier file or the complete new one.
enum class Moment { Importing, DataStored, Filtering, Saved, Flushing };

// The child: a document with a large stream saved over out. It tells the
// parent through the pipe when it reaches the moment; at the moments that
// are steps (not work in progress) it waits there to be killed, and it
// waits at the end in any case.
[[noreturn]] void ConvertUntilKilled(Moment moment, const std::string& image,
                                     const std::string& tmpdir, const std::string& out, int ready) {
  setenv("TMPDIR", tmpdir.c_str(), 1);
  CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  const auto tell = [&](Moment reached, bool wait) {
    if (reached != moment) return;
    if (write(ready, "!", 1) != 1) _exit(2);
    while (wait) pause();
  };
  auto doc = OnePageDoc();
  tell(Moment::Importing, false);
  if (moment == Moment::Importing) {
    CPDFMatrix matrix;
    CPDFImageXObj* xobj = CPDFImageXObj::CreateImageXObj(doc.get(), image.c_str(), matrix);
    if (!xobj || !doc->RegistObj(xobj, nullptr) || !xobj->FlateEncode()) _exit(7);
  }
  auto* stream = new CPDFStream(doc.get());
  std::string chunk(1 << 20, '\0');
  uint32_t x = 12345;
  for (char& c : chunk) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  for (int i = 0; i < 16; ++i) {
    if (!stream->Append(chunk.data(), static_cast<int32_t>(chunk.size()))) _exit(3);
  }
  if (!doc->RegistObj(stream, nullptr)) _exit(3);
  tell(Moment::DataStored, true);
  tell(Moment::Filtering, false);
  if (moment == Moment::Filtering && !stream->FlateEncode()) _exit(4);
  if (!doc->Save(out.c_str(), false, false)) _exit(5);
  tell(Moment::Saved, true);
  tell(Moment::Flushing, false);
  if (!doc->Flush()) _exit(6);
  for (;;) pause();
}

TEST(SaveTest, AKilledConversionLeavesNoFileBehind) {
  struct Case {
    Moment moment;
    int signal;
  };
  // A bitmap of 15 MB: its pixels go through mapped storage and Flate.
  pntest::TempFolder source("pnkillsrc");
  const std::string image = (source.Path() / "big.bmp").string();
  {
    const std::vector<uint8_t> bitmap = imagefile::Bitmap(2500, 2000);
    std::ofstream(image, std::ios::binary)
        .write(reinterpret_cast<const char*>(bitmap.data()),
               static_cast<std::streamsize>(bitmap.size()));
  }
  const Case cases[] = {{Moment::Importing, SIGKILL}, {Moment::DataStored, SIGKILL},
                        {Moment::Filtering, SIGKILL}, {Moment::Saved, SIGKILL},
                        {Moment::Saved, SIGTERM},     {Moment::Flushing, SIGKILL},
                        {Moment::Flushing, SIGTERM}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "moment " << static_cast<int>(c.moment) << " signal " << c.signal);
    pntest::TempFolder root("pnkill");
    const fs::path tmp = root.Path() / "tmp";
    const fs::path output = root.Path() / "out";
    fs::create_directory(tmp);
    fs::create_directory(output);
    const std::string out = (output / "out.pdf").string();
    const std::string old = "the good file of an earlier run";
    { std::ofstream(out, std::ios::binary) << old; }
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(ready[0]);
      ConvertUntilKilled(c.moment, image, tmp.string(), out, ready[1]);
    }
    close(ready[1]);
    char byte = 0;
    const ssize_t got = read(ready[0], &byte, 1);
    close(ready[0]);
    kill(pid, c.signal);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_EQ(got, 1) << "the child stopped early, status " << status;
    EXPECT_TRUE(WIFSIGNALED(status));

    EXPECT_TRUE(Names(tmp).empty());
    ASSERT_EQ(Names(output), std::vector<std::string>{"out.pdf"});
    if (c.moment != Moment::Flushing) {
      EXPECT_EQ(ReadText(out), old);
    } else {
      EXPECT_TRUE(ReadText(out) == old || IsCompletePdf(out));
    }
  }
}

}  // namespace
