#include "tools/ToolArguments.h"

#include "engine/StoreVersions.h"
#include "platform/Utf8.h"

namespace qtr {
namespace {

ToolRequest Refuse(std::string why) {
  ToolRequest request;
  request.error = std::move(why);
  return request;
}

bool IsOption(const std::u16string& argument) {
  return argument.size() > 1 && argument[0] == u'-';
}

std::string Text(const std::u16string& s) {
  return Utf16ToUtf8(s);
}

// The value of -j at args[*k] (the option itself); moves *k onto it.
bool ParseThreads(const std::vector<std::u16string>& args, size_t* k, unsigned* threads, std::string* error) {
  if (*k + 1 >= args.size()) {
    *error = "-j needs a number of threads";
    return false;
  }
  const std::string n = Text(args[++*k]);
  if (n.empty() || n.size() > 2 || n.find_first_not_of("0123456789") != std::string::npos || n == "0" ||
      n == "00") {
    *error = "-j needs a number of threads from 1 to 99, not " + n;
    return false;
  }
  *threads = static_cast<unsigned>(std::stoul(n));
  return true;
}

ToolRequest ParsePack(const std::string& name, std::vector<std::u16string> args) {
  ToolRequest request;
  request.command = name == "pack" ? ToolRequest::Command::kPack : ToolRequest::Command::kUnpack;
  std::vector<std::u16string> files;
  for (size_t k = 0; k < args.size(); ++k) {
    if (!IsOption(args[k])) {
      files.push_back(args[k]);
      continue;
    }
    if (args[k] != u"-j" || name != "pack")
      return Refuse(name + " does not take the option " + Text(args[k]));
    if (std::string error; !ParseThreads(args, &k, &request.threads, &error)) return Refuse(error);
  }
  if (files.size() < 2) return Refuse(name + " needs IN and OUT");
  if (files.size() > 2) return Refuse("too many arguments: " + Text(files[2]));
  request.input = files[0];
  request.output = files[1];
  return request;
}

// crypto: encrypt and decrypt take the key check file and IN OUT.
ToolRequest ParseCrypt(const std::string& name, const std::vector<std::u16string>& args) {
  ToolRequest request;
  request.command = name == "encrypt" ? ToolRequest::Command::kEncrypt : ToolRequest::Command::kDecrypt;
  std::vector<std::u16string> files;
  for (size_t k = 0; k < args.size(); ++k) {
    if (!IsOption(args[k])) {
      files.push_back(args[k]);
      continue;
    }
    if (args[k] != u"--key-file") return Refuse(name + " does not take the option " + Text(args[k]));
    if (k + 1 >= args.size()) return Refuse("--key-file needs the path of the key check file");
    request.keyFile = args[++k];
  }
  if (files.size() < 2) return Refuse(name + " needs IN and OUT");
  if (files.size() > 2) return Refuse("too many arguments: " + Text(files[2]));
  request.input = files[0];
  request.output = files[1];
  return request;
}

// "F:": a letter and a colon ("1:" names no drive).
bool IsDrive(std::u16string_view text) {
  return text.size() == 2 && text[1] == u':' && ((text[0] | 0x20) >= u'a' && (text[0] | 0x20) <= u'z');
}

// verify: the drive whose store is checked.
ToolRequest ParseVerify(const std::vector<std::u16string>& args) {
  ToolRequest request;
  request.command = ToolRequest::Command::kVerify;
  for (size_t k = 0; k < args.size(); ++k) {
    if (args[k] != u"--target") {
      if (!IsOption(args[k])) return Refuse("too many arguments: " + Text(args[k]));
      return Refuse("verify does not take the option " + Text(args[k]));
    }
    if (k + 1 >= args.size() || IsOption(args[k + 1])) return Refuse("--target needs a value");
    request.job.target = args[++k];
  }
  if (!IsDrive(request.job.target)) return Refuse("--target needs a drive such as F:");
  return request;
}

// versions: the drive whose store is listed, and a path to list below.
ToolRequest ParseVersions(const std::vector<std::u16string>& args) {
  ToolRequest request;
  request.command = ToolRequest::Command::kVersions;
  for (size_t k = 0; k < args.size(); ++k) {
    if (!IsOption(args[k])) {
      if (!request.input.empty()) return Refuse("too many arguments: " + Text(args[k]));
      request.input = args[k];
      continue;
    }
    if (args[k] != u"--target") return Refuse("versions does not take the option " + Text(args[k]));
    if (k + 1 >= args.size() || IsOption(args[k + 1])) return Refuse("--target needs a value");
    request.job.target = args[++k];
  }
  if (!IsDrive(request.job.target)) return Refuse("--target needs a drive such as F:");
  return request;
}

ToolRequest ParseJob(const std::string& name, const std::vector<std::u16string>& args) {
  ToolRequest request;
  request.command = name == "backup" ? ToolRequest::Command::kBackup : ToolRequest::Command::kRestore;
  request.job.restore = name == "restore";
  for (size_t k = 0; k < args.size(); ++k) {
    const std::u16string& option = args[k];
    if (!IsOption(option)) return Refuse("too many arguments: " + Text(option));
    if (option == u"-j" && name == "backup") {
      if (std::string error; !ParseThreads(args, &k, &request.job.threads, &error)) return Refuse(error);
      continue;
    }
    if (option == u"--store-readable" && name == "backup") {
      request.job.storeReadable = true;
      continue;
    }
    std::u16string* value = nullptr;
    if (option == u"--target") {
      value = &request.job.target;
    } else if (option == u"--program") {
      value = &request.job.programFolder;
    } else if (option == u"--filter" && name == "backup") {
      value = &request.job.typeFilter;
    } else if (option == u"--as-of" && name == "restore") {
      value = &request.job.asOfStamp;
    } else {
      return Refuse(name + " does not take the option " + Text(option));
    }
    if (k + 1 >= args.size() || IsOption(args[k + 1])) return Refuse(Text(option) + " needs a value");
    *value = args[++k];
  }
  if (!IsDrive(request.job.target)) return Refuse("--target needs a drive such as F:");
  if (request.job.programFolder.empty()) return Refuse("--program needs the folder of init.xml");
  if (!request.job.asOfStamp.empty() && !ParseVersionStamp(request.job.asOfStamp))
    return Refuse("--as-of needs a stamp as qtrpack versions lists them, \"YYYY-MM-DD HHMMSS\" such as "
                  "\"2026-12-09 193800\" (or \"2026-12-09 193800.2\"), not \"" + Text(request.job.asOfStamp) + "\"");
  return request;
}

}  // namespace

ToolRequest ParseToolArguments(const std::vector<std::u16string>& arguments, bool jobCommands) {
  if (arguments.empty()) return Refuse("no command");
  for (const std::u16string& argument : arguments) {
    if (argument == u"--help" || argument == u"-h") {
      ToolRequest help;
      help.command = ToolRequest::Command::kHelp;
      return help;
    }
  }
  const std::string command = Text(arguments[0]);
  const std::vector<std::u16string> rest(arguments.begin() + 1, arguments.end());
  if (command == "pack" || command == "unpack") return ParsePack(command, rest);
  if (command == "encrypt" || command == "decrypt") return ParseCrypt(command, rest);
  if (command == "verify") {
    if (!jobCommands) return Refuse("verify exists only in the Windows build of qtrpack");
    return ParseVerify(rest);
  }
  if (command == "versions") {
    if (!jobCommands) return Refuse("versions exists only in the Windows build of qtrpack");
    return ParseVersions(rest);
  }
  if (command == "backup" || command == "restore") {
    if (!jobCommands) return Refuse(command + " exists only in the Windows build of qtrpack");
    return ParseJob(command, rest);
  }
  return Refuse("unknown command " + command);
}

std::string ToolUsage(bool jobCommands) {
  std::string usage =
      "usage: qtrpack pack [-j THREADS] IN OUT   packs the file IN into the compressed container OUT\n"
      "       qtrpack unpack IN OUT              unpacks the container IN to the plain file OUT\n"
      "       qtrpack encrypt [--key-file KEYFILE] IN OUT\n"
      "           encrypts IN to OUT under the key of the password read from standard input;\n"
      "           KEYFILE (the store's key check file) is created when there is none; without\n"
      "           --key-file it is QTRPMB\\~key.bin of the store OUT lies in\n"
      "       qtrpack decrypt [--key-file KEYFILE] IN OUT\n"
      "           decrypts IN (a stored .qtrx file) to OUT, checking every chunk; without --key-file\n"
      "           the key check file of the store IN lies in; a compressed file inside comes out\n"
      "           as its container, and is unpacked with qtrpack unpack\n";
  if (jobCommands) {
    usage +=
        "       qtrpack backup --target X: --program FOLDER [--filter EXT,EXT] [-j THREADS] [--store-readable]\n"
        "           backs up the paths listed in FOLDER\\backupfullpath.xml into X:\\QTRPMB,\n"
        "           with the settings of FOLDER\\init.xml; --filter keeps only files of those types;\n"
        "           -j sets the threads that compress each file (default: one per processor);\n"
        "           without encryption into a store that holds encrypted copies, nothing is stored\n"
        "           unless --store-readable says the copies may be stored readable\n"
        "       qtrpack restore --target X: --program FOLDER [--as-of STAMP]\n"
        "           restores the stored paths listed in FOLDER\\restoreTempPath.xml from X:\\QTRPMB\n"
        "           to where they came from, with the settings of FOLDER\\init.xml; --as-of \"2026-12-09 193800\"\n"
        "           restores each file as the store held it when the backup of that time started\n"
        "           (a backup and a restore each add their record to FOLDER\\jobhistory.xml)\n"
        "       qtrpack verify --target X:\n"
        "           reads every file stored in X:\\QTRPMB and checks it against the store index;\n"
        "           lists what is damaged, missing or unknown; an encrypted store's password is read\n"
        "           from standard input; exit 0: every file read and sound; 1: something damaged,\n"
        "           changed since it was backed up, or missing; 3: nothing damaged found, but not\n"
        "           everything could be checked (index damaged, files unknown to it, encrypted files\n"
        "           without the key or without the key check file); 2: no store, or nothing read\n"
        "       qtrpack versions --target X: [PATH]\n"
        "           lists the previous versions kept in X:\\QTRPMB\\~versions, newest backup first: each\n"
        "           backup's stamp (for restore --as-of), then the files it replaced, with their sizes\n"
        "           and the paths they were backed up from; PATH (C:\\Users\\ann, or a stored path)\n"
        "           lists only what lies below it; exit 0, or 2 when X: holds no store\n";
  } else {
    usage += "       (backup, restore, verify and versions exist only in the Windows build of qtrpack)\n";
  }
  usage += "       qtrpack --help                     shows this text\n";
  return usage;
}

}  // namespace qtr
