#pragma once
// Runs a program as a shell would, in a process of its own, and keeps what it wrote.
#include <string>
#include <vector>

namespace vexa::test {

struct ProgramRun {
  int code = -1; // the exit status, or -1 when it did not exit normally
  std::string out, err;
};

// Runs argv[0] with argv, standard input from `input`, extra environment "NAME=value"
// entries set (an entry "NAME=" unsets NAME).
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& input = {},
                      const std::vector<std::string>& environment = {});

// The same with standard error on a terminal (a pseudo-terminal that the test reads); the
// program's standard output still goes to the pipe.
ProgramRun RunProgramOnTerminal(const std::vector<std::string>& argv);

} // namespace vexa::test
