// Which entries of a folder a selection tree lists: never "." and "..",
// system or temporary entries, and the three system folders of drive C:
// only when their show switch is on.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

class FolderFilter {
 public:
  // The switches "WindowsFile", "ProgramFiles" and "DocAndSetFiles".
  void SetSwitches(bool windows, bool programFiles, bool documentsAndSettings);
  // Reads the three switches from init.xml (each on only when its value is
  // "1"); a file that does not load turns them all off.
  void ReadSwitches(std::u16string_view settingsFile);

  // folder is the listed folder's path ("C:\" or "C:\dir"), name one entry.
  bool Lists(std::u16string_view folder, std::u16string_view name, uint32_t attributes) const;

 private:
  bool windows_ = false;
  bool programFiles_ = false;
  bool documentsAndSettings_ = false;
};

}  // namespace qtr
