// The command line of qtrpack read into one request, with the usage text, so
// that every message about wrong arguments is decided in one testable place.
#pragma once
#include <string>
#include <vector>

#include "tools/JobCommand.h"

namespace qtr {

struct ToolRequest {
  enum class Command { kUsageError, kHelp, kPack, kUnpack, kBackup, kRestore, kEncrypt, kDecrypt, kVerify, kVersions };
  Command command = Command::kUsageError;
  std::string error;             // why the arguments were refused (kUsageError)
  std::u16string input, output;  // pack and unpack; versions: the path it lists below (input)
  unsigned threads = 0;          // pack: 0 means one per processor
  JobCommandOptions job;         // backup and restore; verify and versions: its target
  std::u16string keyFile;        // encrypt and decrypt: the store's key check file
};

// jobCommands: whether this build runs backup and restore (the Windows build).
ToolRequest ParseToolArguments(const std::vector<std::u16string>& arguments, bool jobCommands);
std::string ToolUsage(bool jobCommands);

}  // namespace qtr
