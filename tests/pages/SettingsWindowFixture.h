// What the Setting page's window tests share: a program folder of their own
// with the shipped language tables, a host window, a prompter that records
// what it was asked, and a way to act inside a modal dialog's loop.
#pragma once
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/LanguageList.h"
#include "config/LanguageTable.h"
#include "config/SettingsFile.h"
#include "pages/SettingsHost.h"
#include "ui/Prompter.h"
#include "support/TempFolder.h"

namespace qtr::test {

inline void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

class RecordingPrompter : public Prompter {
 public:
  bool Ask(const Question& question) override {
    asked.push_back(question);
    return true;
  }
  std::vector<Question> asked;
};

// Runs actions once the modal dialog is up, from inside its own loop; the
// actions must close it.
template <typename DialogT>
INT_PTR RunModalWith(DialogT& dialog, HWND owner, std::function<void(HWND)> actions) {
  static std::function<void()> pending;
  pending = [&dialog, actions] {
    const HWND window = dialog.Handle();
    if (window == nullptr) return;
    const auto run = actions;
    pending = nullptr;  // this closure is gone from here on
    run(window);
    // Actions that stopped on a failed assertion leave the dialog open (an
    // ended dialog is hidden until its loop lets it go).
    if (IsWindow(window) && IsWindowVisible(window)) EndDialog(window, IDABORT);
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
    if (pending) pending();
  });
  const INT_PTR result = dialog.RunModal(owner);
  KillTimer(nullptr, timer);
  pending = nullptr;
  return result;
}

inline std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

class SettingsWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.Path() + u"\\";
    std::filesystem::path languages = std::filesystem::path(folder_) / "Language";
    std::filesystem::create_directories(languages);
    const std::string shipped = std::string("Z:") + QTR_RESOURCES_FOLDER + "/Language";
    for (const char* name : {"Language.xml", "0x0409.xml", "0x0804.xml"})
      std::filesystem::copy_file(std::filesystem::path(shipped) / name, languages / name);
    ASSERT_TRUE(Settings().WriteDefaults());
    InstalledLanguages().Load(LanguageListPath(folder_));
    ApplyLanguage(folder_, u"none");  // English defaults
    hostWindow_ = CreateWindowExW(0, L"STATIC", L"settings host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                  0, 700, 420, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hostWindow_, nullptr);
    host_.programFolder = folder_;
    host_.hotKeyWindow = hostWindow_;
    host_.prompter = &prompter_;
  }
  void TearDown() override {
    ApplyLanguage(folder_, u"none");
    if (hostWindow_ != nullptr) {
      UnregisterHotKey(hostWindow_, 1074);
      DestroyWindow(hostWindow_);
    }
  }

  SettingsFile Settings() const { return SettingsFile(folder_, 0x0409); }
  std::u16string Read(std::u16string_view key) const {
    XmlDocument doc;
    Settings().LoadForReading(doc);
    return ReadSetting(doc, key).value_or(u"<absent>");
  }
  std::u16string Attribute(std::u16string_view key, std::u16string_view name) const {
    XmlDocument doc;
    Settings().LoadForReading(doc);
    return ReadSettingAttribute(doc, key, name).value_or(u"<absent>");
  }

  TempFolder temp_;
  std::u16string folder_;
  HWND hostWindow_ = nullptr;
  RecordingPrompter prompter_;
  SettingsHost host_;
};

}  // namespace qtr::test
