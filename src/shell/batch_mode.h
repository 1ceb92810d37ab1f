// The batch mode: torvic --batch [--keys] [--screen] [PROGRAM]
//
// No window, no fonts, no banner and no start-up program. Standard input is
// typed at the keyboard (BatchHost); standard output is the transcript, the
// echo stream of the console screen with every carriage return written as a
// line feed, or with --screen the 25 screen rows at exit.
#pragma once

#include <string>
#include <vector>

namespace torvic::shell {

struct BatchOptions {
  bool braceNames = false;  // --keys
  bool screenDump = false;  // --screen
  std::string program;      // PROGRAM, or empty
};

// Parses the arguments after the program name; false for a bad command line.
// `isBatch` tells whether --batch was given at all.
bool ParseBatchArguments(const std::vector<std::string>& args, bool& isBatch, BatchOptions& options,
                         std::string& error);

// Runs a batch session on standard input and output; the exit status:
// 0 normal, 1 the program ended with an error or Break, 2 unreadable file
// or standard output that could not be written. A terminating signal ends
// the session cleanly and then the process, by that signal.
int RunBatch(const BatchOptions& options);

}  // namespace torvic::shell
