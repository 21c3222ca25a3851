#include "platform/FileSync.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

struct FileSyncState {
  ReplaceFault fault = ReplaceFault::None;
};

FileSyncState& State() {
  static FileSyncState state;
  return state;
}

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

void RemoveQuietly(const std::string& path) {
  std::error_code ignored;
  // Only a file we created may go; a folder that happens to sit at the temporary path stays.
  if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
}

// Syncs the folder entry so the rename itself survives a power cut. Folders cannot be opened this
// way everywhere; a failure here does not undo a rename that already happened.
void SyncParentFolder(const std::string& path) {
#ifndef _WIN32
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (parent.empty()) parent = ".";
  int fd = ::open(parent.c_str(), O_RDONLY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
#else
  (void)path;
#endif
}

}  // namespace

std::string TempPathFor(const std::string& path) { return path + ".saving"; }

bool SyncFile(const std::string& path) {
#ifdef _WIN32
  int fd = ::_open(path.c_str(), _O_RDWR | _O_BINARY);
  if (fd < 0) return false;
  bool ok = ::_commit(fd) == 0;
  ::_close(fd);
  return ok;
#else
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
#endif
}

bool ReplaceFileContents(const std::string& path, const std::string& contents, std::string* error) {
  const std::string temp = TempPathFor(path);
  const ReplaceFault fault = State().fault;
  {
    std::error_code ec;
    // A folder at the temporary path would make the open below fail anyway; say why.
    if (std::filesystem::is_directory(temp, ec)) return Fail(error, "a folder is in the way: " + temp);
    std::ofstream out(temp, std::ios::out | std::ios::trunc);
    if (!out.is_open()) return Fail(error, "cannot create " + temp);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.flush();
    bool written = static_cast<bool>(out) && fault != ReplaceFault::Write;
    out.close();
    if (!written || out.fail()) {
      RemoveQuietly(temp);
      return Fail(error, "cannot write " + temp);
    }
  }
  if (fault == ReplaceFault::Sync || !SyncFile(temp)) {
    RemoveQuietly(temp);
    return Fail(error, "cannot sync " + temp);
  }
  std::error_code ec;
  if (fault != ReplaceFault::Rename) std::filesystem::rename(temp, path, ec);
  if (fault == ReplaceFault::Rename || ec) {
    RemoveQuietly(temp);
    return Fail(error, "cannot rename " + temp + " to " + path);
  }
  SyncParentFolder(path);
  return true;
}

void SetReplaceFaultForTesting(ReplaceFault fault) { State().fault = fault; }

}  // namespace platform
