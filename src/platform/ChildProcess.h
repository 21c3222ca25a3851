// Another program run beside the game, whose standard output the game reads as it comes, without
// ever waiting for it: the editor proves a level with the solver this way and stays responsive.
// POSIX systems start it with posix_spawn; where that is missing, starting fails with a reason.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

class ChildProcess {
 public:
  virtual ~ChildProcess() = default;
  // Appends what the program wrote to its standard output (and error) since the last call; never
  // blocks. False once it has ended and everything it wrote has been read; *exitCode then holds its
  // exit code (-1 when it was ended by a signal).
  virtual bool Poll(std::string* output, int* exitCode) = 0;
  // Ends the program at once and waits for it. Destroying a running ChildProcess does this too.
  virtual void Stop() = 0;
};

// Starts `program` (a path) with `args`. Null when it cannot be started; *error then says why.
std::unique_ptr<ChildProcess> StartChildProcess(const std::string& program, const std::vector<std::string>& args,
                                                std::string* error);

}  // namespace platform
