#include "platform/ChildProcess.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace platform {
namespace {

class PosixChildProcess final : public ChildProcess {
 public:
  PosixChildProcess(pid_t pid, int output) : pid_(pid), output_(output) {}
  ~PosixChildProcess() override { Stop(); }

  bool Poll(std::string* output, int* exitCode) override {
    Drain(output);
    if (pid_ > 0 && !exited_) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        exited_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
    }
    // What it wrote just before it ended may still be in the pipe.
    if (exited_) Drain(output);
    *exitCode = code_;
    return !(exited_ && output_ < 0);
  }

  void Stop() override {
    if (pid_ > 0 && !exited_) {
      // The program may have forked helpers of its own (the solver does): end its whole group.
      kill(-pid_, SIGKILL);
      int status = 0;
      waitpid(pid_, &status, 0);
      exited_ = true;
      code_ = -1;
    }
    if (output_ >= 0) close(output_);
    output_ = -1;
  }

 private:
  // Reads what is there; closes the pipe at its end (the program and its children are done with it).
  void Drain(std::string* output) {
    char buffer[4096];
    while (output_ >= 0) {
      const ssize_t got = read(output_, buffer, sizeof buffer);
      if (got > 0) {
        output->append(buffer, static_cast<size_t>(got));
      } else if (got == 0) {
        close(output_);
        output_ = -1;
      } else if (errno != EINTR) {
        break;  // EAGAIN: nothing more for now
      }
    }
  }

  pid_t pid_;
  int output_;
  bool exited_ = false;
  int code_ = -1;
};

}  // namespace

std::unique_ptr<ChildProcess> StartChildProcess(const std::string& program, const std::vector<std::string>& args,
                                                std::string* error) {
  if (access(program.c_str(), X_OK) != 0) {
    *error = program + " cannot be run: " + std::strerror(errno);
    return nullptr;
  }
  int pipefd[2];
  if (pipe(pipefd) != 0) {
    *error = std::string("no pipe to the program: ") + std::strerror(errno);
    return nullptr;
  }
  // The game's end of the pipe must not leak into the program, and reading it must never wait.
  fcntl(pipefd[0], F_SETFD, FD_CLOEXEC);
  fcntl(pipefd[0], F_SETFL, fcntl(pipefd[0], F_GETFL) | O_NONBLOCK);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipefd[1]);
  std::vector<char*> argv;
  std::vector<std::string> owned = args;
  std::string name = program;
  argv.push_back(name.data());
  for (std::string& a : owned) argv.push_back(a.data());
  argv.push_back(nullptr);
  // A process group of its own, so that Stop ends its helpers with it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pipefd[1]);
  if (failed != 0) {
    close(pipefd[0]);
    *error = program + " could not be started: " + std::strerror(failed);
    return nullptr;
  }
  return std::make_unique<PosixChildProcess>(pid, pipefd[0]);
}

}  // namespace platform

#else

namespace platform {

std::unique_ptr<ChildProcess> StartChildProcess(const std::string& program, const std::vector<std::string>&,
                                                std::string* error) {
  *error = program + " cannot be started: this system has no way to run it beside the game yet";
  return nullptr;
}

}  // namespace platform

#endif
