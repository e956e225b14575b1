// A program with windows has no console of its own, and a message box would wait
// for a click that no script gives. A line meant for whoever started the program
// from a command prompt or a script goes to the standard error the caller handed
// over (a redirection or a pipe), or else to the console of the process that
// started it.
#pragma once

#include <string>

namespace toolkit {

// Writes the line (ANSI code page text) and a line break where the caller sees it.
// False when there is nowhere to write it: the caller has no console and gave no
// standard error.
bool TellCaller(const std::string& line);

}  // namespace toolkit
