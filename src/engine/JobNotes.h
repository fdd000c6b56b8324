// The reasons of the lines a job writes itself, in the window's language
// where it hands them over (language texts are read on the window's thread
// only); English otherwise.
#pragma once
#include <string>

namespace qtr {

struct JobNotes {
  // A file copied whole whose times or attributes the volume refused; the system's text follows.
  std::u16string timesNotSet = u"copied, but its times or attributes were not set:";
  // A stored file changed since the program wrote it, restored as it is now.
  std::u16string changedRestored = u"changed since it was backed up; restored as it is now";
  // The same, refused: it does not decode whole, or not to the size backed up.
  std::u16string changedRefused = u"changed since it was backed up and not whole; not restored";
  // One more stored form of a file another stored form was restored to.
  std::u16string secondForm = u"another stored form of this file was restored instead:";
  // An encrypted file bound to another stored path, which no rename made through the program explains.
  std::u16string movedRefused = u"lies in the place of another stored file (moved or swapped); not restored";
  // An encrypted file of its path, but not the copy the store recorded there last.
  std::u16string olderRefused = u"an older copy than the store last recorded; not restored";
  // A plain or compressed file in an encrypted store that no record under the key vouches for.
  std::u16string readableRefused =
      u"stored readable in an encrypted store, which does not vouch for it; not restored";
  // A file on the PC that differed from its restored copy, kept before the
  // restore replaced it beside the restored file, under the name that
  // follows; the words in that name.
  std::u16string keptBeside = u"differed from its backup; kept beside the restored file as";
  std::u16string beforeRestore = u"before restore";
  // One that could be kept neither way; the system's text follows.
  std::u16string notKept = u"differs from its backup and could not be set aside, so it was not replaced:";
  // An encrypted file renamed through the program, restored under its new name.
  std::u16string renamedRestored = u"renamed in the store; restored under its new name";
  // A previous version less than a day old removed to make room for the backup's copies.
  std::u16string versionRemovedForSpace = u"previous version less than a day old removed to make room on the disk";
  // The guard stopped the backup.
  std::u16string guardStopped =
      u"backup stopped: files looked encrypted by an attack; the copies it replaced are kept as previous versions";
  // A backup without encryption refused at a store that holds encrypted copies.
  std::u16string storeReadable =
      u"holds encrypted copies and encryption is off: nothing was stored, and no encrypted copy was replaced "
      u"by a "
      u"readable one";
};

}  // namespace qtr
