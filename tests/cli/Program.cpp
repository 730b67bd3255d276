#include "cli/Program.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexa::test {

namespace {

[[noreturn]] void Exec(const std::vector<std::string>& argv,
                       const std::vector<std::string>& environment) {
  for (const std::string& e : environment) {
    const auto eq = e.find('=');
    const std::string name = e.substr(0, eq);
    if (eq + 1 == e.size())
      ::unsetenv(name.c_str());
    else
      ::setenv(name.c_str(), e.substr(eq + 1).c_str(), 1);
  }
  std::vector<char*> args;
  for (const auto& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

// Reads both descriptors to their ends, writing input to the child's standard input first.
void Collect(int outFd, int errFd, ProgramRun& run) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = ::read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[k]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[k].fd);
        fds[k].fd = -1;
        --open;
      }
    }
  }
}

int Wait(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& input,
                      const std::vector<std::string>& environment) {
  int in[2], out[2], err[2];
  ProgramRun run;
  if (::pipe(in) || ::pipe(out) || ::pipe(err)) return run;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
      ::close(fd);
    Exec(argv, environment);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  // Small inputs only: the child reads them before it writes much.
  for (std::size_t done = 0; done < input.size();) {
    const ssize_t n = ::write(in[1], input.data() + done, input.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(in[1]);
  Collect(out[0], err[0], run);
  run.code = Wait(child);
  return run;
}

ProgramRun RunProgramOnTerminal(const std::vector<std::string>& argv) {
  ProgramRun run;
  int out[2];
  if (::pipe(out)) return run;
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    // Standard input and error stay on the terminal; standard output goes to the pipe.
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    Exec(argv, {});
  }
  ::close(out[1]);
  Collect(out[0], master, run); // reading the terminal ends with EIO once the child is gone
  run.code = Wait(child);
  return run;
}

} // namespace vexa::test
