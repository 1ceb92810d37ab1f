// Which front end `torvic` starts, and how one executable hands over to
// another. Plain C++ (no toolkit, no curses), shared by torvic and by
// torvic-window, which falls back to the terminal or the batch mode when
// its display cannot be opened.
#pragma once

#include <string>
#include <vector>

namespace torvic::shell {

// A desktop display is named (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM).
bool DisplayAvailable();
// Standard input and output are a terminal of a known type.
bool TerminalAvailable();
// Standard input is a terminal (else it is a pipe or a file: the batch mode
// reads it, unless a window is asked for).
bool InputIsTerminal();

enum class FrontEnd { Window, Terminal, Batch };
// --batch and --terminal choose; --window asks for the window; otherwise
// input from a pipe or file is the batch mode, a display the window, a
// terminal the terminal, anything else the batch mode.
FrontEnd ChooseFrontEnd(bool batch, bool terminal, bool window);

// Replaces this process with the sibling executable `name` (torvic,
// torvic-window, torvic-terminal) and these arguments; returns only when
// it cannot be started.
void StartSibling(const char* name, const std::vector<std::string>& args);
// torvic without a window: the terminal when there is one, else the batch
// mode, with the same arguments less --window.
void StartFrontEndWithoutWindow(const std::vector<std::string>& args);

}  // namespace torvic::shell
