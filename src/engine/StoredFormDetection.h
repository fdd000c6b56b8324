// Which stored form a file in the store is, where no current index entry
// says so: from its name, its first bytes and, for the encrypted forms, its
// authenticated header; and whether a name in another form is the stored
// copy of another source file.
#pragma once
#include <cstdint>
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/StoreIndex.h"
#include "engine/StoredForms.h"
#include "platform/FileSystem.h"

namespace qtr {

// What a stored file with no current index entry is, from its name, its
// first bytes and, for the encrypted form, its authenticated header (which
// says whether a container is inside). The file is left at its start.
uint32_t DetectStoredForm(BackupJob& job, std::u16string_view stored, File& in, uint32_t attributes,
                          StoredForm* form);

// Restore side: the form of stored, open as in with its listing info. With
// a current index entry its form decides, whatever the volume or the file's
// first bytes say; without one, a ".zip" with the container marker (and the
// compressed attribute where the volume has it) is compressed, and a
// ".qtrx" starting "QTRX" is encrypted, with or without a container inside
// as its authenticated header says. False (with a failure line naming
// stored) when it cannot be read, or is encrypted and the job has no key or
// its header does not authenticate under it. in is left at its start.
bool ResolveRestoreForm(BackupJob& job, std::u16string_view stored, File& in, const FindEntry& info,
                        const StoreIndexEntry* entry, StoredForm* form);

// A stored name of source in another form is also the stored name, in some
// form, of one other source file of the same folder: "a.zip" is both "a"
// compressed and "a.zip" plain, "a.zip.qtrx" both "a" compressed and
// encrypted and "a.zip" encrypted. True when such a file exists: that copy
// is its own and must stay.
bool OtherFormBelongsToAnotherSource(BackupJob& job, std::u16string_view source, StoredForm otherForm);

}  // namespace qtr
