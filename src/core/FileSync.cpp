#include "core/FileSync.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace files {

namespace {

// A chain of links longer than this is taken for a circle, as the system itself does.
constexpr int kMaxLinks = 40;
// How many temporary names are tried before a save gives up ("NAME.saving", then ".1" ...).
constexpr int kMaxTemporaryNames = 100;

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

std::string Reason(int err) { return std::generic_category().message(err); }

// The file a save of `path` must replace: `path` itself, or the file its chain of symbolic links
// ends at (a link's relative text is taken from the link's own folder).
bool FollowLinks(const std::string& path, std::string* target, std::string* error) {
  fs::path at = path;
  for (int hops = 0;; ++hops) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(at, ec);
    if (!fs::is_symlink(status)) {
      *target = at.string();
      return true;
    }
    if (hops == kMaxLinks) return Fail(error, path + " leads through more than 40 symbolic links; they go round in a circle");
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) return Fail(error, "cannot read the symbolic link " + at.string() + ": " + ec.message());
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
}

// What stops `target` from being replaced (it is a folder, not an ordinary file, or read-only);
// empty when it can be, or does not exist yet. *mode gets its permission bits to keep.
std::string Obstacle(const std::string& target, const std::string& shown, int* mode) {
#ifdef _WIN32
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (status.type() == fs::file_type::not_found) return std::string();
  if (ec) return "cannot look at " + shown + ": " + ec.message();
  if (fs::is_directory(status)) return shown + " is a folder, not a file";
  if (!fs::is_regular_file(status)) return shown + " is not an ordinary file";
  if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return shown + " is read-only";
  *mode = -1;
  return std::string();
#else
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) {
    return errno == ENOENT ? std::string() : "cannot look at " + shown + ": " + Reason(errno);
  }
  if (S_ISDIR(info.st_mode)) return shown + " is a folder, not a file";
  if (!S_ISREG(info.st_mode)) return shown + " is not an ordinary file";
  // The administrator may write anything, so the file's own write bits are asked first: a file
  // marked read-only stays as it is for everyone.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return shown + " is read-only";
  if (::access(target.c_str(), W_OK) != 0) return shown + " is read-only (" + Reason(errno) + ")";
  *mode = static_cast<int>(info.st_mode & 07777);
  return std::string();
#endif
}

// Creates a new temporary file beside `target`, never opening one that is already there (a link
// planted there is not followed). Returns its descriptor and name, or -1 with *err set.
int CreateTemporary(const std::string& target, std::string* name, int* err) {
  for (int n = 0; n < kMaxTemporaryNames; ++n) {
    *name = TempPathFor(target);
    if (n > 0) name->append(".").append(std::to_string(n));
#ifdef _WIN32
    int fd = ::_open(name->c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    if (fd >= 0) return fd;
    if (errno != EEXIST) {
      *err = errno;
      return -1;
    }
  }
  *err = EEXIST;
  return -1;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t chunk = std::min<size_t>(bytes.size() - done, size_t{1} << 30);
#ifdef _WIN32
    int wrote = ::_write(fd, bytes.data() + done, static_cast<unsigned int>(chunk));
#else
    ssize_t wrote = ::write(fd, bytes.data() + done, chunk);
    if (wrote < 0 && errno == EINTR) continue;
#endif
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

bool SyncDescriptor(int fd) {
#ifdef _WIN32
  return ::_commit(fd) == 0;
#else
  return ::fsync(fd) == 0;
#endif
}

bool CloseDescriptor(int fd) {
#ifdef _WIN32
  return ::_close(fd) == 0;
#else
  return ::close(fd) == 0;
#endif
}

// Gives the new file the permission bits of the one it replaces (-1: leave the defaults).
void KeepMode(int fd, int mode) {
#ifndef _WIN32
  if (mode >= 0) ::fchmod(fd, static_cast<mode_t>(mode));
#else
  (void)fd;
  (void)mode;
#endif
}

void RemoveQuietly(const std::string& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

// Syncs the folder entry so the rename itself survives a power cut. Folders cannot be opened this
// way everywhere; a failure here does not undo a rename that already happened.
void SyncParentFolder(const std::string& path) {
#ifndef _WIN32
  fs::path parent = fs::path(path).parent_path();
  if (parent.empty()) parent = ".";
  int fd = ::open(parent.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
#else
  (void)path;
#endif
}

bool Replace(const std::string& path, const std::string& bytes, std::string* error) {
  std::string target;
  if (!FollowLinks(path, &target, error)) return false;
  const std::string shown = target == path ? path : path + " (a link to " + target + ")";
  int mode = -1;
  const std::string obstacle = Obstacle(target, shown, &mode);
  if (!obstacle.empty()) return Fail(error, obstacle);

  std::string temp;
  int err = 0;
  const int fd = CreateTemporary(target, &temp, &err);
  if (fd < 0) return Fail(error, "cannot create a temporary file beside " + shown + ": " + Reason(err));
  KeepMode(fd, mode);
  const ReplaceFault fault = State().fault;
  const bool written = WriteAll(fd, bytes) && fault != ReplaceFault::Write;
  err = errno;
  const bool synced = written && fault != ReplaceFault::Sync && SyncDescriptor(fd);
  if (written && !synced) err = errno;
  const bool closed = CloseDescriptor(fd);
  if (!written || !closed) {
    RemoveQuietly(temp);
    return Fail(error, "cannot write " + shown + (fault == ReplaceFault::None ? ": " + Reason(err) : std::string()));
  }
  if (!synced) {
    RemoveQuietly(temp);
    return Fail(error, "cannot put " + shown + " on the disk" + (fault == ReplaceFault::None ? ": " + Reason(err) : std::string()));
  }
  std::error_code ec;
  if (fault != ReplaceFault::Rename) fs::rename(temp, target, ec);
  if (fault == ReplaceFault::Rename || ec) {
    RemoveQuietly(temp);
    return Fail(error, "cannot replace " + shown + (ec ? ": " + ec.message() : std::string()));
  }
  SyncParentFolder(target);
  return true;
}

}  // namespace

std::string TempPathFor(const std::string& path) { return path + ".saving"; }

std::string WhyUnreadable(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return "there is no such file";
  if (fs::is_directory(status)) return "it is a folder";
#ifndef _WIN32
  if (::access(path.c_str(), R_OK) != 0) return Reason(errno);
#endif
  if (ec) return ec.message();
  return "it cannot be read";
}

bool ReadFileUpTo(const std::string& path, size_t limit, std::string* text, std::string* why) {
  text->clear();
  std::error_code ec;
  std::ifstream in;
  if (!fs::is_directory(path, ec)) in.open(path, std::ios::in);
  if (!in.is_open()) {
    *why = WhyUnreadable(path);
    return false;
  }
  char buffer[1 << 16];
  while (in && text->size() <= limit) {
    in.read(buffer, sizeof buffer);
    text->append(buffer, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) {
    *why = "reading it failed";
    return false;
  }
  return true;
}

bool CanCreateFilesIn(const std::string& folder) {
  const std::string at = folder.empty() ? std::string(".") : folder;
  std::error_code ec;
  if (!fs::is_directory(at, ec)) return false;
#ifdef _WIN32
  return ::_access(at.c_str(), 2) == 0;
#else
  return ::access(at.c_str(), W_OK | X_OK) == 0;
#endif
}

bool SyncFile(const std::string& path) {
#ifdef _WIN32
  int fd = ::_open(path.c_str(), _O_RDWR | _O_BINARY);
#else
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
  if (fd < 0) return false;
  const bool ok = SyncDescriptor(fd);
  CloseDescriptor(fd);
  return ok;
}

bool ReplaceFileContents(const std::string& path, const std::string& contents, std::string* error) {
#ifdef _WIN32
  // Text mode: the platform's line ends.
  std::string text;
  text.reserve(contents.size() + contents.size() / 16);
  for (char c : contents) {
    if (c == '\n') text.push_back('\r');
    text.push_back(c);
  }
  return Replace(path, text, error);
#else
  return Replace(path, contents, error);
#endif
}

bool ReplaceFileBytes(const std::string& path, const std::string& bytes, std::string* error) {
  return Replace(path, bytes, error);
}

void SetReplaceFaultForTesting(ReplaceFault fault) { State().fault = fault; }

}  // namespace files
