// The two management trees in the test dialog, over two mapped drives
// (M: and N:), with a page stand-in that answers the password prompt.
#pragma once
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "trees/ManageTreeCtrl.h"
#include "trees/TreeDropTarget.h"
#include "trees/TreeWindowSupport.h"

namespace qtr::test {

class RecordingHost : public ManageTreeHost {
 public:
  bool VerifyPassword(const std::u16string& diskPath) override {
    asked.push_back(u"verify " + diskPath);
    return answer;
  }
  void EditPassword(const std::u16string& diskPath, bool reset) override {
    asked.push_back((reset ? u"reset " : u"set ") + diskPath);
  }
  void PasswordCommandDone(const std::u16string& diskPath) override { asked.push_back(u"done " + diskPath); }
  bool answer = false;
  std::vector<std::u16string> asked;
};

class ManageTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(m_.Ok());
    ASSERT_TRUE(n_.Ok());
    programFolder_ = program_.Path() + u"\\";
    ASSERT_TRUE(dialog_.CreateModeless(nullptr));
    ShowWindow(dialog_.Handle(), SW_SHOW);
    SetForegroundWindow(dialog_.Handle());
    left_ = std::make_unique<CManageTreeCtrl>(programFolder_, disks_);
    right_ = std::make_unique<CManageTreeCtrl>(programFolder_, disks_);
    ASSERT_TRUE(left_->Attach(dialog_.SourceWindow()));
    ASSERT_TRUE(right_->Attach(dialog_.TargetWindow()));
    for (CManageTreeCtrl* tree : {left_.get(), right_.get()}) {
      tree->SetHost(&host_);
      tree->SetMessageSink([this](const std::u16string& text) { told_.push_back(text); });
    }
    PumpMessages();
  }
  void TearDown() override {
    leftDrop_.reset();
    rightDrop_.reset();
    left_.reset();
    right_.reset();
    OleUninitialize();
  }
  void Fill() {
    ASSERT_TRUE(left_->FillComputer());
    ASSERT_TRUE(right_->FillComputer());
  }
  // The item of a path in a tree, opening the folders on the way.
  HTREEITEM Open(CManageTreeCtrl& tree, const std::u16string& path) {
    std::u16string sofar;
    HTREEITEM item = nullptr;
    for (size_t start = 0; start <= path.size();) {
      size_t end = path.find(u'\\', start);
      if (end == std::u16string::npos) end = path.size();
      sofar = start == 0 ? path.substr(0, 3) : path.substr(0, end);
      item = tree.FindPath(sofar);
      if (item == nullptr) return nullptr;
      if (end < path.size() &&
          (TreeView_GetItemState(tree.Handle(), item, TVIS_EXPANDED) & TVIS_EXPANDED) == 0)
        Expand(tree.Handle(), item);
      start = end + 1;
    }
    return item;
  }
  std::wstring M(const std::wstring& rest = L"") const { return W(mFolder_.Path()) + rest; }
  std::wstring N(const std::wstring& rest = L"") const { return W(nFolder_.Path()) + rest; }

  TempFolder program_, mFolder_, nFolder_;
  MappedDrive m_{L'm', W(mFolder_.Path())};
  MappedDrive n_{L'n', W(nFolder_.Path())};
  std::u16string programFolder_;
  TreeDialog dialog_;
  DeviceList disks_;
  RecordingHost host_;
  std::vector<std::u16string> told_;
  std::unique_ptr<CManageTreeCtrl> left_, right_;
  std::unique_ptr<CTreeDropTarget> leftDrop_, rightDrop_;
};

}  // namespace qtr::test
