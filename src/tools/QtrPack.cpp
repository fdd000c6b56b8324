// qtrpack: the stored-file container on the command line, and (in the
// Windows build) backup and restore jobs as the program runs them.
#include <algorithm>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "tools/CommandLine.h"
#include "tools/EncryptCommand.h"
#include "tools/PackCommand.h"
#include "tools/ToolArguments.h"
#ifdef _WIN32
#include "tools/JobCommand.h"
#include "tools/VerifyCommand.h"
#include "tools/VersionsCommand.h"
#endif

namespace {

#ifdef _WIN32
constexpr bool kJobCommands = true;
#else
constexpr bool kJobCommands = false;
#endif

// One line of standard input, without its line end; false when there is none.
bool ReadPasswordLine(std::string* password) {
  if (!std::getline(std::cin, *password)) return false;
  if (!password->empty() && password->back() == '\r') password->pop_back();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const qtr::ToolRequest request =
      qtr::ParseToolArguments(qtr::CommandLineArguments(argc, argv), kJobCommands);
  std::string message;
  switch (request.command) {
    case qtr::ToolRequest::Command::kHelp: qtr::PrintLine(qtr::ToolUsage(kJobCommands)); return 0;
    case qtr::ToolRequest::Command::kUsageError:
      qtr::PrintLine("qtrpack: " + request.error, true);
      qtr::PrintLine(qtr::ToolUsage(kJobCommands), true);
      return 2;
    case qtr::ToolRequest::Command::kPack:
    case qtr::ToolRequest::Command::kUnpack: {
      const unsigned threads =
          request.threads != 0 ? request.threads : std::max(1u, std::thread::hardware_concurrency());
      const int status = request.command == qtr::ToolRequest::Command::kPack
                             ? qtr::PackCommand(request.input, request.output, threads, &message)
                             : qtr::UnpackCommand(request.input, request.output, &message);
      if (status != 0) qtr::PrintLine("qtrpack: " + message, true);
      return status;
    }
    case qtr::ToolRequest::Command::kEncrypt:
    case qtr::ToolRequest::Command::kDecrypt: {
      // The password is one line of standard input, never an argument
      // (other processes can read a command line).
      std::string password;
      ReadPasswordLine(&password);
      const int status = request.command == qtr::ToolRequest::Command::kEncrypt
                             ? qtr::EncryptCommand(request.input, request.output, request.keyFile, password, &message)
                             : qtr::DecryptCommand(request.input, request.output, request.keyFile, password, &message,
                                                    qtr::ReadHeaderKeyParameters);
      std::fill(password.begin(), password.end(), '\0');
      if (status != 0) qtr::PrintLine("qtrpack: " + message, true);
      return status;
    }
    case qtr::ToolRequest::Command::kVerify: {
#ifdef _WIN32
      std::string lines;
      const int status = qtr::VerifyCommand(qtr::SystemFileSystem(), request.job.target, &lines, ReadPasswordLine);
      std::cout << lines;
      return status;
#else
      return 2;
#endif
    }
    case qtr::ToolRequest::Command::kVersions: {
#ifdef _WIN32
      std::string lines;
      const int status = qtr::VersionsCommand(qtr::SystemFileSystem(), request.job.target, request.input, &lines);
      std::cout << lines;
      return status;
#else
      return 2;
#endif
    }
    case qtr::ToolRequest::Command::kBackup:
    case qtr::ToolRequest::Command::kRestore:
#ifdef _WIN32
    {
      // A restore rebuilds a lost key check from what the encrypted files carry.
      auto job = request.job;
      job.readParameters = qtr::ReadHeaderKeyParameters;
      return qtr::RunJobCommand(job);
    }
#else
      return 2;  // refused while parsing: this build has no job commands
#endif
  }
  return 2;
}
