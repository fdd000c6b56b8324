// Gives a folder a drive letter for the life of the object. Under Wine a
// drive letter is a symbolic link in the prefix's dosdevices folder, which
// Wine follows at once; the link is made by the host's ln. A letter that is
// already in use is left as it is (Ok() is false), and only a link this
// object made is removed.
#pragma once
#include <string>

#include "platform/WineHost.h"

namespace qtr::test {

class MappedDrive {
 public:
  // folder is a Windows path; letter is 'd' to 'y'.
  MappedDrive(wchar_t letter, const std::wstring& folder);
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  // The letter shows the folder.
  bool Ok() const { return ok_; }
  // "T:\" for letter 't'.
  std::wstring Root() const;

 private:
  bool WaitForReachable(bool reachable) const;
  bool LetterInUse() const;

  wchar_t letter_;
  std::string link_;  // host path of the dosdevices entry
  bool ok_ = false;
};

// Host paths and host programs, as the program itself reaches them.
using qtr::HostPath;
using qtr::RunHostCommand;

// Makes link (a Windows path whose folder exists) a host symbolic link to
// the folder target and waits until Wine shows it; false when it did not.
bool PlantHostLink(const std::wstring& link, const std::wstring& target);
// Removes such a link (not what it leads to) and waits until Wine no longer shows it.
bool RemoveHostLink(const std::wstring& link);

}  // namespace qtr::test
