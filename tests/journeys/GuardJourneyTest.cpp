// The guard against ransomware through the real program: a person's week of
// changes backs up without a word, then an attack encrypts most of the folder
// (on the host, as the attacker's program would) and the backup stops before
// it replaces more than a few good copies; unwatched it stops by itself,
// watched it asks, and the person can put the replaced copies back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "JourneyFiles.h"
#include "ProgramDriver.h"
#include "config/JobHistory.h"
#include "config/SelectionFiles.h"
#include "config/SettingsFile.h"
#include "support/MappedDrive.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::FilesBelow;
using test::ProgramDriver;
using test::ReadFileBytes;
using test::StoredBytes;
using test::WaitFor;
using test::WriteFileBytes;

std::wstring W(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string U(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

constexpr int kConfirmMessage = 23362, kConfirmOk = 1045;
constexpr wchar_t kGuardTitle[] = L"Backup paused";

// Bytes that look like compressed or encrypted data, the same for the same seed.
std::string RandomBytes(uint32_t seed, size_t size) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  return bytes;
}

std::string Text(int n, int paragraphs) {
  static const char* const words[] = {"backup", "holiday", "invoice", "meeting", "garden", "report",
                                      "budget", "letter",  "family",  "project", "minutes", "draft"};
  std::string text;
  for (int p = 0; p < paragraphs; ++p) {
    for (int w = 0; w < 60; ++w) text += std::string(words[(n * 7 + p * 3 + w * w) % 12]) + (w % 12 == 11 ? ".\r\n" : " ");
    text += "\r\n";
  }
  return text;
}

// An office document: a zip container's local header, a member name and a
// deflated-looking body.
std::string OfficeDocument(uint32_t seed, const char* member) {
  std::string bytes("PK\x03\x04\x14\x00\x06\x00\x08\x00", 10);
  bytes += RandomBytes(seed, 16);
  bytes += member;
  return bytes + RandomBytes(seed + 1, 3000 + seed % 2000);
}

// A movie: its "ftyp" box, then media data.
std::string Movie(uint32_t seed) {
  return std::string("\0\0\0\x18" "ftypisom\0\0\x02\0isomiso2", 24) + RandomBytes(seed, 5000 + seed % 3000);
}
// A song: its tag header, then frames.
std::string Song(uint32_t seed) {
  return std::string("ID3\x03\0\0\0\0\x0a\0", 10) + RandomBytes(seed, 4000 + seed % 2500);
}

// A question or message of the program, as a person read it.
struct Said {
  std::wstring title, text;
};

// A simulated USB disk with its volume R: on a mapped folder, and a ticked
// folder of 300 files of a person's kinds.
class GuardJourneyTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = W(program_.File(u""));
    source_ = W(sources_.Path()) + L"\\papers";
    ASSERT_TRUE(CreateDirectoryW(source_.c_str(), nullptr));
    const std::string host = HostPath(source_);
    ASSERT_FALSE(host.empty());
    std::string pictures = "cd '" + host + "' || exit 1\n";
    const struct {
      const wchar_t* kind;
      int count;
    } kinds[] = {{L"txt", 60}, {L"docx", 40}, {L"xlsx", 30}, {L"jpg", 50}, {L"png", 40}, {L"mp4", 40}, {L"mp3", 40}};
    int n = 0;
    for (const auto& kind : kinds) {
      for (int i = 0; i < kind.count; ++i, ++n) {
        wchar_t name[32];
        swprintf(name, 32, L"\\item-%03d.%ls", n, kind.kind);
        names_.push_back(name);
        const std::wstring path = source_ + name, ext = kind.kind;
        const std::string bare = Narrow(name).substr(1);
        if (ext == L"jpg" || ext == L"png") {
          pictures += "convert -size 64x48 -seed " + std::to_string(n) + " plasma:fractal " +
                      (ext == L"jpg" ? "-quality 92 " : "") + bare + "\n";
          continue;
        }
        const std::string bytes = ext == L"txt"    ? Text(n, 4 + n % 5)
                                  : ext == L"docx" ? OfficeDocument(n, "word/document.xml")
                                  : ext == L"xlsx" ? OfficeDocument(n, "xl/workbook.xml")
                                  : ext == L"mp4"  ? Movie(n)
                                                   : Song(n);
        ASSERT_TRUE(WriteFileBytes(path, bytes));
      }
    }
    ASSERT_TRUE(test::RunHostScript(W(scratch_.Path()), pictures));
    ASSERT_EQ(FilesBelow(source_).size(), 300u);

    ASSERT_TRUE(SelectionFiles(U(folder_))
                    .ApplyCheckChange(U(source_), CheckState::kChecked,
                                      [](const std::u16string&) { return std::vector<std::u16string>{}; }));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"simulated-disks.txt", test::kJourneyDisks));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"journey.button", "up\n"));
    // Compressed (the default), only what changed.
    StoreSetting(u"BackupStatus", u"1");
    drive_ = std::make_unique<test::MappedDrive>(L'r', W(target_.Path()));
    ASSERT_TRUE(drive_->Ok());
  }

  void StoreSetting(std::u16string_view key, std::u16string_view value) {
    SettingsFile settings(U(folder_), 0x0409);
    XmlDocument doc;
    ASSERT_TRUE(settings.LoadOrWriteDefaults(doc));
    ASSERT_TRUE(settings.Store(key, value));
  }

  // "C:\...\papers\item-001.txt" -> its stored container, current or in a version folder.
  std::wstring Stored(const std::wstring& name) const {
    return L"R:\\QTRPMB\\" + source_.substr(0, 1) + source_.substr(2) + name + L".zip";
  }
  std::wstring Version(const std::wstring& stamp, const std::wstring& name) const {
    return L"R:\\QTRPMB\\~versions\\" + stamp + L"\\" + source_.substr(0, 1) + source_.substr(2) + name + L".zip";
  }
  // The store's version folders, oldest first.
  static std::vector<std::wstring> Stamps() {
    std::vector<std::wstring> stamps;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(L"R:\\QTRPMB\\~versions\\*", &found);
    if (find == INVALID_HANDLE_VALUE) return stamps;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != L'.')
        stamps.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(stamps.begin(), stamps.end());
    return stamps;
  }

  // Every file of the source folder with its bytes.
  std::map<std::wstring, std::string> Source() const {
    std::map<std::wstring, std::string> files;
    for (const std::wstring& path : FilesBelow(source_)) files[path.substr(source_.size())] = ReadFileBytes(path);
    return files;
  }

  // A minute later than now, so that the changed-only pass tells the files apart for sure.
  static void TouchLater(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER later{{now.dwLowDateTime, now.dwHighDateTime}};
    later.QuadPart += 60ull * 10000000ull;
    now = {later.LowPart, later.HighPart};
    SetFileTime(file, nullptr, nullptr, &now);
    CloseHandle(file);
  }

  HWND JobWindow() const { return driver_.JobWindow(); }

  // The program's next question or message, once it is up.
  HWND WaitForQuestion(DWORD milliseconds) const {
    HWND question = nullptr;
    WaitFor([&] { return (question = driver_.FindDialogHolding(kConfirmMessage)) != nullptr; }, milliseconds);
    return question;
  }
  static Said Read(HWND question) {
    wchar_t title[128] = {};
    GetWindowTextW(question, title, 128);
    return {title, ProgramDriver::Text(question, kConfirmMessage)};
  }
  // Answers Yes (OK) to every question and message until the job has ended
  // and none is open for a while, then presses Close; returns what was said.
  std::vector<Said> AnswerAllAndClose() {
    std::vector<Said> said;
    HWND last = nullptr;
    DWORD quietSince = GetTickCount();
    // True while a question is up: it is read once and answered.
    const auto answered = [&] {
      HWND question = driver_.FindDialogHolding(kConfirmMessage);
      if (question == nullptr) return false;
      if (question != last) said.push_back(Read(question)), last = question;
      ProgramDriver::Click(question, kConfirmOk);
      quietSince = GetTickCount();
      return true;
    };
    HWND close = nullptr;
    const bool ended = WaitFor(
        [&] {
          if (answered()) return false;
          HWND job = JobWindow();
          close = job != nullptr ? GetDlgItem(job, 1083) : nullptr;
          return close != nullptr && IsWindowVisible(close) && GetTickCount() - quietSince > 1500;
        },
        120000);
    EXPECT_TRUE(ended) << "the job did not end";
    if (!ended) return said;
    // On a loaded machine a message can come later than the quiet time, and
    // take the click meant for Close: it is answered, and Close pressed again.
    DWORD clicked = 0;
    EXPECT_TRUE(WaitFor(
        [&] {
          if (answered()) return false;
          if (IsWindowVisible(close) && (clicked == 0 || GetTickCount() - clicked > 3000))
            PostMessageW(close, BM_CLICK, 0, 0), clicked = GetTickCount();
          return IsWindowVisible(GetDlgItem(driver_.PageBox(), 1014)) != FALSE;
        },
        30000));
    for (const Said& s : said) std::printf("%ls: %ls\n", s.title.c_str(), s.text.c_str());
    return said;
  }

  void ChooseTarget() {
    ASSERT_TRUE(WaitFor([&] { return driver_.BackUpPage() != nullptr; }, 10000));
    HWND page = driver_.BackUpPage();
    ASSERT_TRUE(WaitFor([&] { return ProgramDriver::Choose(page, 1112, L"R:"); }, 15000));
    Sleep(500);
  }
  // The person's way: the File Backup page, then its Backup button.
  void PressBackup() {
    ProgramDriver::Click(driver_.PageBox(), 1004);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(driver_.BackUpPage()) != FALSE; }, 5000));
    ProgramDriver::Click(driver_.PageBox(), 1014);
    ConfirmStart();
  }
  // "Start backup now?" answered OK, in whatever language; the job's window comes.
  void ConfirmStart() {
    HWND question = WaitForQuestion(10000);
    ASSERT_NE(question, nullptr);
    ProgramDriver::Click(question, kConfirmOk);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return JobWindow() != nullptr && IsWindowVisible(JobWindow()); }, 10000));
  }

  // The whole screen as a PNG in the build's screenshots folder, taken on the host.
  void Screenshot(const std::string& name) {
    const std::string folder = Narrow(QTR_SCREENSHOTS_FOLDER_W);
    const std::string out = folder + "/" + name + ".png";
    EXPECT_TRUE(test::RunHostScript(W(scratch_.Path()), "mkdir -p '" + folder + "' && import -window root '" +
                                                            out + ".part.png' && mv '" + out + ".part.png' '" +
                                                            out + "'"));
    std::printf("screenshot: %s\n", out.c_str());
  }

  // The attack: openssl encrypts the files in place on the host, and those
  // given as renamed leave their ciphertext as NAME.locked instead.
  void Encrypt(const std::vector<std::wstring>& inPlace, const std::vector<std::wstring>& renamed) {
    std::string script = "cd '" + HostPath(source_) + "' || exit 1\n";
    const std::string enc = "openssl enc -aes-256-cbc -pbkdf2 -pass pass:x -in ";
    for (const std::wstring& name : inPlace) {
      const std::string f = Narrow(name).substr(1);
      script += enc + f + " -out " + f + ".tmp && mv " + f + ".tmp " + f + "\n";
    }
    for (const std::wstring& name : renamed) {
      const std::string f = Narrow(name).substr(1);
      script += enc + f + " -out " + f + ".locked && rm " + f + "\n";
    }
    ASSERT_TRUE(test::RunHostScript(W(scratch_.Path()), script, 120000));
  }

  test::TempFolder program_, sources_, target_, scratch_;
  std::wstring folder_, source_;
  std::vector<std::wstring> names_;  // the 300 files, "\item-000.txt" ...
  std::unique_ptr<test::MappedDrive> drive_;
  ProgramDriver driver_{W(program_.File(u""))};
};

bool Contains(const std::vector<Said>& said, const std::wstring& title, const std::wstring& part) {
  return std::any_of(said.begin(), said.end(), [&](const auto& s) {
    return s.title == title && s.text.find(part) != std::wstring::npos;
  });
}

TEST_F(GuardJourneyTest, AnAttackStopsTheBackupAndThePersonPutsTheReplacedCopiesBack) {
  const DWORD start = GetTickCount();
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  PressBackup();
  std::vector<Said> said = AnswerAllAndClose();
  for (const std::wstring& name : names_)
    ASSERT_TRUE(StoredBytes(Stored(name)) == ReadFileBytes(source_ + name)) << Narrow(name);

  // A person's changes: texts edited, pictures saved again with another
  // quality, documents saved anew, and new files.
  std::string resave = "cd '" + HostPath(source_) + "' || exit 1\n";
  std::vector<std::wstring> changed;
  for (const std::wstring& name : names_) {
    const std::wstring ext = name.substr(name.rfind(L'.') + 1);
    const int n = std::stoi(name.substr(6, 3));
    const size_t before = std::count_if(changed.begin(), changed.end(), [&](const std::wstring& c) {
      return c.substr(c.rfind(L'.') + 1) == ext;
    });
    const size_t quota = ext == L"txt" ? 20 : ext == L"jpg" ? 8 : ext == L"mp4" || ext == L"mp3" ? 0 : 4;
    if (before >= quota || n % 2 != 0) continue;
    changed.push_back(name);
    const std::wstring path = source_ + name;
    const std::string bare = Narrow(name).substr(1);
    if (ext == L"jpg") {
      resave += "convert " + bare + " -quality 60 " + bare + "\n";
    } else if (ext == L"png") {
      resave += "convert " + bare + " -quality 10 " + bare + "\n";
    } else {
      ASSERT_TRUE(WriteFileBytes(path, ext == L"txt" ? ReadFileBytes(path) + "P.S. " + Text(n + 1, 1)
                                                     : OfficeDocument(n + 1000, "docProps/app.xml")));
    }
  }
  ASSERT_EQ(changed.size(), 40u);
  ASSERT_TRUE(test::RunHostScript(W(scratch_.Path()), resave));
  for (const std::wstring& name : changed) TouchLater(source_ + name);
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(WriteFileBytes(source_ + L"\\new-" + std::to_wstring(i) + L".txt", Text(500 + i, 2)));
  PressBackup();
  said = AnswerAllAndClose();
  EXPECT_FALSE(Contains(said, kGuardTitle, L""));
  std::vector<std::wstring> stamps = Stamps();
  ASSERT_EQ(stamps.size(), 1u);
  const std::vector<std::wstring> firstVersions = FilesBelow(L"R:\\QTRPMB\\~versions\\" + stamps[0]);
  EXPECT_EQ(firstVersions.size(), 40u);
  size_t versionBytes = 0;
  for (const std::wstring& version : firstVersions) versionBytes += ReadFileBytes(version).size();
  std::printf("a person's changes: %zu versions kept, %zu bytes\n", firstVersions.size(), versionBytes);
  const std::map<std::wstring, std::string> before = Source();
  ASSERT_EQ(before.size(), 305u);

  // The attack reaches two files of three; half of those it renames.
  std::vector<std::wstring> inPlace, renamed;
  for (size_t i = 0; i < names_.size(); ++i)
    if (i % 3 != 2) (inPlace.size() == renamed.size() ? inPlace : renamed).push_back(names_[i]);
  ASSERT_EQ(inPlace.size() + renamed.size(), 200u);
  Encrypt(inPlace, renamed);

  // Nobody watching: the window hidden, the hotkey starts the backup.
  HWND main = driver_.MainWindow();
  ProgramDriver::Click(main, 1003);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000));
  PostMessageW(main, WM_HOTKEY, 1074, 0);
  ConfirmStart();
  said = AnswerAllAndClose();
  EXPECT_FALSE(Contains(said, kGuardTitle, L"")) << "a job nobody watches asks nothing";
  EXPECT_TRUE(Contains(said, L"Tips", L"backup stopped: files looked encrypted by an attack; the copies it "
                                      L"replaced are kept as previous versions"));
  std::vector<JobRecord> records = JobHistory(U(folder_)).Load();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[2].trigger, JobTrigger::kHotKey);
  EXPECT_EQ(records[2].ending, JobEnding::kStoppedByGuard);
  EXPECT_NE(ReadFileBytes(folder_ + L"jobhistory.xml").find("<Ending>guard"), std::string::npos)
      << ReadFileBytes(folder_ + L"jobhistory.xml");
  stamps = Stamps();
  ASSERT_EQ(stamps.size(), 2u);
  const std::wstring hidden = stamps[1];
  // What the store holds now is the file before the attack, or the stored
  // copy the pass replaced is kept byte for byte in the job's version folder.
  std::vector<std::wstring> replaced;
  for (const std::wstring& name : names_) {
    if (StoredBytes(Stored(name)) == before.at(name)) continue;
    replaced.push_back(name);
    EXPECT_TRUE(StoredBytes(Version(hidden, name)) == before.at(name)) << Narrow(name);
  }
  const size_t kept = FilesBelow(L"R:\\QTRPMB\\~versions\\" + hidden).size();
  std::printf("unwatched: %zu stored copies replaced before the stop, %zu versions kept\n", replaced.size(), kept);
  EXPECT_EQ(kept, replaced.size());
  EXPECT_GE(replaced.size(), 1u);
  EXPECT_LE(replaced.size(), 30u) << "the stop comes at the threshold, not after the attack's 200 files";

  // A person watching: the window shown, the Backup button. The question
  // comes, is answered Stop, then the offer to put the copies back, Yes.
  ASSERT_TRUE(IsWindowVisible(main) || (PostMessageW(main, WM_COMMAND, 32772, 0),
                                        WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000)));
  PressBackup();
  HWND question = WaitForQuestion(60000);
  ASSERT_NE(question, nullptr);
  const Said asked = Read(question);
  EXPECT_EQ(asked.title, kGuardTitle);
  EXPECT_NE(asked.text.find(L"This can be the work of ransomware. Stop the backup"), std::wstring::npos)
      << Narrow(asked.text);
  Sleep(500);
  Screenshot("guard-question");
  said = AnswerAllAndClose();
  EXPECT_TRUE(Contains(said, L"Tips", L"backup stopped: files looked encrypted by an attack"));
  EXPECT_TRUE(Contains(said, kGuardTitle, L"Put them back in the store now?"));
  EXPECT_TRUE(Contains(said, kGuardTitle, L"copies were put back in the store."));
  records = JobHistory(U(folder_)).Load();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[3].trigger, JobTrigger::kButton);
  EXPECT_EQ(records[3].ending, JobEnding::kStoppedByGuard);
  // The put-back took its job's version folder away; the unwatched job's
  // folder stays, and its copies are still the encrypted ones in the store.
  EXPECT_EQ(Stamps(), (std::vector<std::wstring>{stamps[0], hidden}));
  for (const std::wstring& name : names_) {
    const bool earlier = std::find(replaced.begin(), replaced.end(), name) != replaced.end();
    const std::wstring copy = earlier ? Version(hidden, name) : Stored(name);
    EXPECT_TRUE(StoredBytes(copy) == before.at(name)) << Narrow(copy);
  }
  // What the attack added as new files is not undone: it may stay in the store.
  const size_t added = std::count_if(renamed.begin(), renamed.end(), [&](const std::wstring& name) {
    return GetFileAttributesW(Stored(name + L".locked").c_str()) != INVALID_FILE_ATTRIBUTES;
  });
  std::printf("%zu of the attack's .locked files are in the store\n", added);
  driver_.Quit();

  // The same question in Chinese, for its picture.
  StoreSetting(u"Language", u"0x0804");
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  PressBackup();
  question = WaitForQuestion(60000);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(Read(question).title, L"\u5907\u4efd\u5df2\u6682\u505c");
  Sleep(500);
  Screenshot("guard-question-zh");
  AnswerAllAndClose();
  driver_.Quit();
  std::printf("journey: %lu s\n", static_cast<unsigned long>((GetTickCount() - start) / 1000));
}

}  // namespace
}  // namespace qtr
