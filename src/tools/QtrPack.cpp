// qtrpack: the stored-file container on the command line.
//   qtrpack pack [-j N] IN OUT     writes the compressed container of IN
//   qtrpack unpack IN OUT          restores a container to the plain file
//   qtrpack backup|restore --target X: --program FOLDER [--filter ext,ext]   (Windows)
#include <string>
#include <thread>
#include <vector>

#include "platform/Utf8.h"
#include "tools/CommandLine.h"
#include "tools/PackCommand.h"
#ifdef _WIN32
#include "tools/JobCommand.h"
#endif

namespace {

constexpr const char* kUsage =
    "usage: qtrpack pack [-j THREADS] IN OUT\n"
    "       qtrpack unpack IN OUT\n"
#ifdef _WIN32
    "       qtrpack backup --target X: --program FOLDER [--filter EXT,EXT]\n"
    "       qtrpack restore --target X: --program FOLDER\n"
#endif
    ;

int Usage(const std::string& why) {
  qtr::PrintLine("qtrpack: " + why, true);
  qtr::PrintLine(kUsage, true);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::u16string> args = qtr::CommandLineArguments(argc, argv);
  if (args.empty()) return Usage("no command");
  const std::u16string command = args[0];
  args.erase(args.begin());
  std::string message;
  if (command == u"pack" || command == u"unpack") {
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    if (command == u"pack" && args.size() >= 2 && args[0] == u"-j") {
      const std::string n = qtr::Utf16ToUtf8(args[1]);
      if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos || n.size() > 2)
        return Usage("-j needs a number of threads");
      threads = static_cast<unsigned>(std::stoul(n));
      args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2) return Usage("need IN and OUT");
    const int status = command == u"pack" ? qtr::PackCommand(args[0], args[1], threads, &message)
                                          : qtr::UnpackCommand(args[0], args[1], &message);
    if (status != 0) qtr::PrintLine("qtrpack: " + message, true);
    return status;
  }
#ifdef _WIN32
  if (command == u"backup" || command == u"restore") {
    qtr::JobCommandOptions options;
    options.restore = command == u"restore";
    for (size_t k = 0; k + 1 < args.size(); k += 2) {
      if (args[k] == u"--target") {
        options.target = args[k + 1];
      } else if (args[k] == u"--program") {
        options.programFolder = args[k + 1];
      } else if (args[k] == u"--filter") {
        options.typeFilter = args[k + 1];
      } else {
        return Usage("unknown option " + qtr::Utf16ToUtf8(args[k]));
      }
    }
    if (args.size() % 2 != 0) return Usage("an option lacks its value");
    if (options.target.size() < 2 || options.target[1] != u':') return Usage("--target needs a drive such as F:");
    if (options.programFolder.empty()) return Usage("--program needs the folder of init.xml");
    return qtr::RunJobCommand(options);
  }
#endif
  return Usage("unknown command " + qtr::Utf16ToUtf8(command));
}
