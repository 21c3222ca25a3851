#include "support/TestSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace testing_support {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  std::random_device rd;
  fs::path base = fs::temp_directory_path() /
                  ("qm-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                   std::to_string(rd() % 100000));
  fs::create_directories(base);
  path_ = base.string();
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission first, in case a test made a folder read-only.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); ++it) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

bool FileExists(const std::string& path) { return fs::exists(path); }

int CountLines(const std::string& text, const std::string& line) {
  int n = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    n += text.compare(start, end - start, line) == 0 ? 1 : 0;
    start = end + 1;
  }
  return n;
}

bool NoSanitizerReport(const RunResult& run) {
  return run.err.find("Sanitizer") == std::string::npos && run.err.find("runtime error") == std::string::npos;
}

bool NoGlAllowed() {
  const char* allow = std::getenv("QM_ALLOW_NO_GL");
  return allow != nullptr && std::string(allow) == "1";
}

std::string SourceDir() { return QM_SOURCE_DIR; }
std::string BinaryDir() { return QM_BINARY_DIR; }
std::string GameExe() { return QM_GAME_EXE; }

std::string MakeDataDir(const TempDir& dir, const std::string& config) {
  fs::create_directory_symlink(fs::path(BinaryDir()) / "Shaders", fs::path(dir.path()) / "Shaders");
  fs::create_directory_symlink(fs::path(BinaryDir()) / "Assets", fs::path(dir.path()) / "Assets");
  if (!config.empty()) WriteFile(dir.File("Config.lullwick"), config);
  return dir.path();
}

std::string MakeEditableDataDir(const TempDir& dir, const std::string& config) {
  const fs::path build = BinaryDir();
  fs::create_directory_symlink(build / "Shaders", dir.File("Shaders"));
  fs::create_directories(dir.File("Assets/Levels"));
  for (const auto& entry : fs::directory_iterator(build / "Assets")) {
    if (entry.path().filename() == "Levels") continue;
    fs::create_symlink(entry.path(), fs::path(dir.File("Assets")) / entry.path().filename());
  }
  fs::copy(build / "Assets/Levels", dir.File("Assets/Levels"), fs::copy_options::recursive);
  if (!config.empty()) WriteFile(dir.File("Config.lullwick"), config);
  return dir.path();
}

RunResult EditorData::Run(const std::string& script, int frames, int scene,
                          const std::vector<std::string>& extra) const {
  std::vector<std::string> args = {"--data", data, "--windowed", "--size", "1280x720", "--scene", std::to_string(scene),
                                   "--input", SourceDir() + "/tests/e2e/scripts/" + script, "--frames",
                                   std::to_string(frames), "--fixed-dt", "0.02"};
  args.insert(args.end(), extra.begin(), extra.end());
  return RunGame(args, {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"});
}

long PeakResidentKbOfThisProcess() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::string UserDataHomeFor(const std::string& dataDir) { return dataDir + "/user-data"; }

std::string UserFile(const std::string& dataDir, const std::string& name) {
  return UserDataHomeFor(dataDir) + "/quillmarch/" + name;
}

RunResult RunGame(const std::vector<std::string>& args, const std::vector<std::string>& givenEnv,
                  int timeoutSeconds, const std::string& workDir) {
  // Runs on different data folders never share the player's files.
  std::vector<std::string> env = givenEnv;
  bool ownHome = false;
  for (const std::string& e : env) ownHome = ownHome || e.rfind("XDG_DATA_HOME=", 0) == 0;
  for (size_t i = 0; !ownHome && i + 1 < args.size(); ++i) {
    if (args[i] == "--data") env.push_back("XDG_DATA_HOME=" + UserDataHomeFor(args[i + 1]));
  }
  TempDir capture;
  std::string outPath = capture.File("out.txt");
  std::string errPath = capture.File("err.txt");
  pid_t pid = ::fork();
  if (pid == 0) {
    for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
    if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(125);
    if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr)) ::_exit(126);
    std::vector<char*> argv;
    std::string exe = GameExe();
    argv.push_back(exe.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::alarm(static_cast<unsigned>(timeoutSeconds));
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  RunResult result;
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  result.peakResidentKb = usage.ru_maxrss;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

}  // namespace testing_support
