#include "shell/front_end_choice.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/system_services.h"

namespace torvic::shell {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

bool DisplayAvailable() {
  return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

bool TerminalAvailable() {
  const char* term = std::getenv("TERM");
  return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && term && *term &&
         std::strcmp(term, "dumb") != 0;
}

bool InputIsTerminal() { return isatty(STDIN_FILENO); }

FrontEnd ChooseFrontEnd(bool batch, bool terminal, bool window) {
  if (batch) return FrontEnd::Batch;
  if (terminal) return FrontEnd::Terminal;
  if (window) return FrontEnd::Window;
  if (!InputIsTerminal()) return FrontEnd::Batch;
  if (DisplayAvailable()) return FrontEnd::Window;
  if (TerminalAvailable()) return FrontEnd::Terminal;
  return FrontEnd::Batch;
}

void StartSibling(const char* name, const std::vector<std::string>& args) {
  std::string path = ExecutablePath();
  const size_t slash = path.rfind('/');
  path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
  std::vector<char*> argv;
  argv.push_back(path.data());
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(path.c_str(), argv.data());
  std::fprintf(stderr, "torvic: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
}

void StartFrontEndWithoutWindow(const std::vector<std::string>& args) {
  std::vector<std::string> rest;
  rest.push_back(TerminalAvailable() ? "--terminal" : "--batch");
  for (const std::string& a : args)
    if (a != "--window") rest.push_back(a);
  StartSibling("torvic", rest);
}

}  // namespace torvic::shell
