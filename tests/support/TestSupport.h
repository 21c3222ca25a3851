// Helpers shared by the tests: temporary folders, reading files, running the game executable.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// A fresh empty folder under the system's temporary folder, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
// Writes the file, making the folders leading to it.
void WriteFile(const std::string& path, const std::string& contents);
bool FileExists(const std::string& path);
// How many lines of `text` are exactly `line`.
int CountLines(const std::string& text, const std::string& line);

struct RunResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
  long peakResidentKb = 0;  // the program's largest resident size (kB)
};

// Runs the built game with the arguments and extra environment entries NAME=VALUE. The game's
// per-user folder is the data folder's own (UserFile) when the arguments name one with --data and
// the entries set no XDG_DATA_HOME; otherwise it is the test program's (never the real home).
// `workDir`, when given, is the folder the game is started in.
RunResult RunGame(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                  int timeoutSeconds = 300, const std::string& workDir = "");

// The file `name` in the per-user folder the game gets when run on the data folder `dataDir`
// (settings, log, backups, shader-error.txt).
std::string UserFile(const std::string& dataDir, const std::string& name);
// The XDG_DATA_HOME entry that gives a game run on `dataDir` that folder.
std::string UserDataHomeFor(const std::string& dataDir);

// True when the run's standard error holds no report of AddressSanitizer, LeakSanitizer or UBSan.
bool NoSanitizerReport(const RunResult& run);

// A data folder for the game: Shaders/ and Assets/ linked from the build folder, plus a config.
std::string MakeDataDir(const TempDir& dir, const std::string& config);

// A data folder like MakeDataDir's whose Assets/Levels/ holds copies of the built levels, so that a
// save or a replaced level file stays inside it.
std::string MakeEditableDataDir(const TempDir& dir, const std::string& config);

// A data folder for the editor's sessions (MakeEditableDataDir's, config "01" unless given), and the game
// run on it.
class EditorData {
 public:
  explicit EditorData(const std::string& config = "01") : data(MakeEditableDataDir(dir, config)) {}
  // Runs tests/e2e/scripts/SCRIPT from the scene of that id in a 1280x720 offscreen window for
  // `frames` frames of 0.02 s, with the extra arguments.
  RunResult Run(const std::string& script, int frames, int scene = 0, const std::vector<std::string>& extra = {}) const;
  // A file of the folder's Assets/Levels/, and one of its per-user folder.
  std::string Level(const std::string& file) const { return dir.File("Assets/Levels/" + file); }
  std::string UserFile(const std::string& name) const { return testing_support::UserFile(data, name); }

  TempDir dir;
  std::string data;
};

// The largest resident size this test process has had so far (kB).
long PeakResidentKbOfThisProcess();

// True when the environment says QM_ALLOW_NO_GL=1: tests that need an OpenGL window may then skip
// on a machine without one. Otherwise a missing OpenGL fails them.
bool NoGlAllowed();

std::string SourceDir();
std::string BinaryDir();
std::string GameExe();

}  // namespace testing_support
