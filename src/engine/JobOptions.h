// A job's options as the program folder's init.xml holds them, read in one
// place, and the set-up of a job from them that the program's window and
// qtrpack both do, so that the two start the same job from the same files.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "engine/BackupJob.h"
#include "platform/FileSystem.h"
#include "xml/XmlDocument.h"

namespace qtr {

// How long a backup keeps the stored copies it replaces, "VersionDays" in
// init.xml: written only once the person chose it, so a file without it
// holds the default. "0" keeps none; the most is ten years.
inline constexpr std::u16string_view kVersionDaysKey = u"VersionDays";
inline constexpr int kDefaultVersionDays = 30;
inline constexpr int kMostVersionDays = 3650;
// The days a stored value says: absent or not made of digits, the default;
// a larger number than the most, the most.
int VersionDaysFrom(const std::optional<std::u16string>& stored);

struct JobOptions {
  std::optional<bool> changedOnly;          // "BackupStatus", when the file has it
  bool compress = false;                    // "CompressFile"
  bool encrypt = false;                     // "SetPassword"
  bool includeWindows = false;              // "WindowsFile"
  bool includeDocumentsAndSettings = false;  // "DocAndSetFiles"
  bool includeProgramFiles = false;         // "ProgramFiles"
  std::optional<bool> hideStore;            // "HideBackupFiles", when the file has it
  int versionDays = kDefaultVersionDays;    // "VersionDays"
  bool operator==(const JobOptions&) const = default;
};

// The options of a loaded settings document.
JobOptions JobOptionsOf(XmlDocument& settings);
// The options of programFolder's init.xml ("C:\Prog\"); a file that is
// missing or does not load is taken as absent: every option at its default.
JobOptions ReadJobOptions(FileSystem& fs, std::u16string_view programFolder);

// Puts the options on job, whose kind is set: only a backup compresses or
// encrypts or keeps previous versions, whatever the settings say. The
// changed-only flag is kept when the file does not have it.
void ApplyJobOptions(const JobOptions& options, BackupJob& job);
// What a front end does to a job before its worker starts: target ("F:"),
// direction, and the options of the job's program folder.
void SetUpJob(BackupJob& job, std::u16string_view target, bool restore);

// Before a backup: with "HideBackupFiles" set, hides target's store root
// when it is on and shows it otherwise, keeping its other attributes. A
// store to be hidden that does not exist yet is made now, so that the first
// backup is hidden too. The failing call's error, 0 when nothing had to
// change or all went well.
uint32_t ApplyStoreVisibility(FileSystem& fs, const JobOptions& options, std::u16string_view target);

}  // namespace qtr
