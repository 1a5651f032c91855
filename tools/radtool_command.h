#pragma once
// What every radtool command offers to the dispatcher in radtool_main.cpp. A new command is one
// more file that defines a RadtoolCommand and one more line in the dispatcher's table.

#include <string>
#include <vector>

// Exit statuses shared by all commands.
constexpr int kExitSuccess = 0;  // done; for `info`, the image is accepted
constexpr int kExitRefused = 1;  // the image is refused
constexpr int kExitUsage = 2;    // bad arguments or an I/O error; one line on stderr says which

struct RadtoolCommand {
  const char* name;     // the word after `radtool`
  const char* summary;  // one line for `radtool --help`
  const char* usage;    // the whole text of `radtool <name> --help`
  // Runs the command with the arguments after its name; `--help` never reaches it.
  int (*run)(const std::vector<std::string>& args);
};

extern const RadtoolCommand kInfoCommand;
extern const RadtoolCommand kMakeCommand;
extern const RadtoolCommand kFlashCommand;
