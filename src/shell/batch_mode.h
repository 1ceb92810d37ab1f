// The batch mode: torvic --batch [--keys] [--screen] [--memory SIZE] [PROGRAM]
//
// No window, no fonts, no banner and no start-up program. Standard input is
// typed at the keyboard (BatchHost); standard output is the transcript, the
// echo stream of the console screen with every carriage return written as a
// line feed, or with --screen the 25 screen rows at exit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvic::shell {

struct BatchOptions {
  bool braceNames = false;  // --keys
  bool screenDump = false;  // --screen
  std::string program;      // PROGRAM, or empty
  uint64_t memory = 0;      // --memory SIZE in bytes; 0 for the default budget
};

// Parses the arguments after the program name; false for a bad command line.
// `isBatch` tells whether --batch was given at all. --memory SIZE (or
// --memory=SIZE) is the memory budget of the window as well.
bool ParseBatchArguments(const std::vector<std::string>& args, bool& isBatch, BatchOptions& options,
                         std::string& error);

// Runs a batch session on standard input and output; the exit status:
// 0 normal, 1 the program ended with an error or Break, 2 a PROGRAM that
// cannot be read (a missing or unreadable file, one that is not a regular
// file, too big, or more than the memory budget holds).
int RunBatch(const BatchOptions& options);

}  // namespace torvic::shell
