// The safe save's file operations on a POSIX system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "files.h"

namespace platform {
namespace {

// The temporary files a signal must remove. A handler may only look at
// plain memory, so the names are kept in fixed buffers, each marked in use
// only once its name is complete. A save has one temporary file at a time;
// a few slots leave room for a transfer that saves while another waits.
constexpr int temporary_slots = 4;
constexpr std::size_t path_room = 4096;
char temporary_paths[temporary_slots][path_room];
volatile std::sig_atomic_t slot_in_use[temporary_slots];

bool remember(const std::string& path) {
  if (path.size() >= path_room) return false;
  for (int i = 0; i < temporary_slots; ++i) {
    if (slot_in_use[i]) continue;
    std::memcpy(temporary_paths[i], path.c_str(), path.size() + 1);
    slot_in_use[i] = 1;
    return true;
  }
  return false;
}

void forget(const std::string& path) {
  for (int i = 0; i < temporary_slots; ++i)
    if (slot_in_use[i] && path == temporary_paths[i]) slot_in_use[i] = 0;
}

// ".name.<pid>.<n>.tmp" in the folder of the target.
std::string temporary_name(const std::string& target, int attempt) {
  std::size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(getpid()) + "." + std::to_string(attempt) + ".tmp";
}

}  // namespace

std::FILE* create_temporary_beside(const std::string& target, std::string& temporary) {
  // Names left by an earlier run that ended without cleaning up are passed
  // over: each attempt tries the next name.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string path = temporary_name(target, attempt);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    std::FILE* file = remember(path) ? fdopen(fd, "wb") : nullptr;
    if (!file) {
      forget(path);
      ::close(fd);
      ::unlink(path.c_str());
      return nullptr;
    }
    temporary = path;
    return file;
  }
  return nullptr;
}

bool take_mode_and_owner(std::FILE* file, const std::string& original) {
  struct stat old{};
  if (::stat(original.c_str(), &old) != 0) return false;
  int fd = fileno(file);
  // The owner first: a change of owner may clear the set-id bits of the mode.
  bool owner_kept = fchown(fd, old.st_uid, old.st_gid) == 0;
  if (!owner_kept) {
    // An ordinary user cannot give a file away, but may keep the owner
    // (already theirs) and set a group they belong to.
    struct stat now{};
    owner_kept = fstat(fd, &now) == 0 && now.st_uid == old.st_uid &&
                 (now.st_gid == old.st_gid || fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0);
  }
  bool mode_kept = fchmod(fd, old.st_mode & 07777) == 0;
  return owner_kept && mode_kept;
}

bool sync_file(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  return fsync(fileno(file)) == 0;
}

void forget_temporary(const std::string& temporary) { forget(temporary); }

void remove_temporary(const std::string& temporary) {
  forget(temporary);
  ::unlink(temporary.c_str());
}

void remove_temporaries_on_signal() {
  for (int i = 0; i < temporary_slots; ++i) {
    if (!slot_in_use[i]) continue;
    ::unlink(temporary_paths[i]);
    slot_in_use[i] = 0;
  }
}

}  // namespace platform
