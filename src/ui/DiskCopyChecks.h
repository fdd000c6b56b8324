// The decisions taken before a disk copy starts: whether the start action
// means a file backup or a disk copy, and whether the chosen disks allow
// the copy. Each refusal names the message (and title) to show.
#pragma once
#include <cstdint>
#include <optional>

#include "config/LanguageText.h"
#include "devices/DeviceList.h"

namespace qtr {

namespace disk_copy_text {
inline constexpr TextId kPromptTitle = TextId::PromptTitle;
inline constexpr TextId kChoseSourceDisk = TextId::ChoseSourceDisk;
inline constexpr TextId kChoseDestDisk = TextId::ChoseDestDisk;
inline constexpr TextId kSourcediskAndDestDiskIsSame = TextId::SourcediskAndDestDiskIsSame;
inline constexpr TextId kSourceDiskIsGreater = TextId::SourceDiskIsGreater;
inline constexpr TextId kDeleteAllPartitions = TextId::DeleteAllPartitions;
inline constexpr TextId kTitle = TextId::Title;
inline constexpr TextId kPrompt = TextId::Prompt;
}  // namespace disk_copy_text

// The caption of the progress window in disk-copy mode.
inline constexpr std::u16string_view kDiskCopyCaption = u"Disk copy :from Disk1  to Disk2";

enum class StartMode { FileBackup, DiskCopy, Stop };

struct ModeDecision {
  StartMode mode = StartMode::FileBackup;
  std::optional<TextId> message;  // with title kPromptTitle, when mode is Stop
};

// computerPartlyChecked: the source tree's computer item carries state
// image 2. The selections are the trees' m_selectedDisk (-1 = none).
ModeDecision DecideStartMode(bool computerPartlyChecked, int sourceSelected, int targetSelected);

struct CopyStartCheck {
  bool start = false;    // go on to the confirmation
  int sourceIndex = -1;  // device-list indexes for the progress window
  int targetIndex = -1;
  std::optional<TextId> message;  // with title kTitle, when refused with a message
};

// The checks before a start, for the device numbers of the ticked disks:
// two different disks, both in the list (else nothing happens, no
// message), both sizes known and the target at least as large as the
// source, target without a mounted volume. Reads capacities
// and refreshes the target's drive letters through the device backend.
CopyStartCheck CheckDiskCopyStart(DeviceList& list, uint32_t sourceNumber, uint32_t targetNumber);

}  // namespace qtr
