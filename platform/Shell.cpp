#include "platform/Shell.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexa::platform {

bool SpawnDetached(const std::vector<std::string>& argv, bool search) {
  if (argv.empty() || argv[0].empty()) return false;
  std::vector<char*> args;
  for (const auto& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // The grandchild reports a failed exec through this pipe; a successful exec closes it.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    // Only async-signal-safe calls from here on.
    ::close(report[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
      const int err = errno;
      (void)!::write(report[1], &err, sizeof err);
      ::_exit(1);
    }
    if (grandchild > 0) ::_exit(0);
    if (search) {
      ::execvp(args[0], args.data());
    } else {
      ::execv(args[0], args.data());
    }
    const int err = errno;
    (void)!::write(report[1], &err, sizeof err);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int err = 0;
  ssize_t got;
  while ((got = ::read(report[0], &err, sizeof err)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

} // namespace

bool UnattendedMode() {
  const char* v = std::getenv("VEXA_UNATTENDED");
  return v && std::strcmp(v, "1") == 0;
}

bool DisplayAvailable() {
  return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY") || EnvSet("QT_QPA_PLATFORM");
}

bool SystemShell::Open(const std::string& target) {
  if (target.empty()) return false;
  return SpawnDetached({"xdg-open", target}, true);
}

bool SystemShell::Start(const std::string& program, const std::string& parameters) {
  std::vector<std::string> argv{program};
  if (!parameters.empty()) argv.push_back(parameters);
  return SpawnDetached(argv, false);
}

} // namespace vexa::platform
