// radtool: the command-line companion of the upgrade tool. It inspects and makes firmware images
// with the same decoding and acceptance rules as the window, and sends them to the device with
// the window's own transfer.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/radtool_command.h"

namespace {

// Every command radtool knows, in the order `radtool --help` lists them.
const RadtoolCommand* const kCommands[] = {
    &kInfoCommand,
    &kMakeCommand,
    &kFlashCommand,
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "Usage: radtool COMMAND [ARGS...]\n"
               "       radtool COMMAND --help\n"
               "\n"
               "Inspects, makes and flashes firmware images (.rad) for the upgrade tool.\n"
               "\n"
               "Commands:\n");
  for (const RadtoolCommand* command : kCommands) {
    std::fprintf(out, "  %-8s %s\n", command->name, command->summary);
  }
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// `--help` anywhere among the options asks for the command's help; after `--` it is a name.
bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (IsHelp(arg)) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return kExitUsage;
  }
  const std::string name = argv[1];
  if (IsHelp(name)) {
    PrintHelp(stdout);
    return kExitSuccess;
  }
  for (const RadtoolCommand* command : kCommands) {
    if (name != command->name) continue;
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (AsksForHelp(args)) {
      std::fputs(command->usage, stdout);
      return kExitSuccess;
    }
    return command->run(args);
  }
  std::fprintf(stderr, "radtool: unknown command '%s' (radtool --help lists the commands)\n",
               name.c_str());
  return kExitUsage;
}
