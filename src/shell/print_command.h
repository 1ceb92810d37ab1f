// torvic-window --print-pdf ...: the listing of a program file written into
// a PDF file on the toolkit's offscreen platform, without a window or a
// display (shell/print_options.h has the command line).
#pragma once

namespace torvic::shell {

// The exit status: 0 written, 2 a bad command line, a program file that
// cannot be read, or a PDF file that cannot be written (a message on
// standard error; an existing file of that name is then left as it was).
int RunPrintPdf(int argc, char** argv);

}  // namespace torvic::shell
