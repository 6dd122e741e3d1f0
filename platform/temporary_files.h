#pragma once
// For the file back ends only: the temporary files a safe save has open,
// which a signal (or the Windows console's control handler) must remove
// before the program ends, and their names beside the file they replace.

#include <cstddef>
#include <cstring>
#include <string>

namespace platform {

// A handler may only look at plain memory, so the names are kept in fixed
// buffers, each marked in use only once its name is complete. A save has one
// temporary file at a time; a few slots leave room for a transfer that saves
// while another waits. `Flag` is the type the handler may read while the
// program writes it.
template <std::size_t PathRoom, class Flag>
class TemporarySlots {
 public:
  // False when the name is too long or every slot is taken.
  bool remember(const std::string& path) {
    if (path.size() >= PathRoom) return false;
    for (int i = 0; i < slots; ++i) {
      if (in_use_[i]) continue;
      std::memcpy(paths_[i], path.c_str(), path.size() + 1);
      in_use_[i] = 1;
      return true;
    }
    return false;
  }

  void forget(const std::string& path) {
    for (int i = 0; i < slots; ++i)
      if (in_use_[i] && path == paths_[i]) in_use_[i] = 0;
  }

  // Calls remove_file(const char*) on every name still remembered and
  // forgets it; safe in a handler when remove_file is.
  template <class Remove>
  void remove_all(Remove remove_file) {
    for (int i = 0; i < slots; ++i) {
      if (!in_use_[i]) continue;
      remove_file(paths_[i]);
      in_use_[i] = 0;
    }
  }

 private:
  static constexpr int slots = 4;
  char paths_[slots][PathRoom];
  volatile Flag in_use_[slots];
};

// ".name.<process>.<attempt>.tmp" in the folder of the target; any of
// `separators` ends the folder.
inline std::string temporary_name_beside(const std::string& target, const char* separators, unsigned long process,
                                         int attempt) {
  std::size_t slash = target.find_last_of(separators);
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(process) + "." + std::to_string(attempt) + ".tmp";
}

}  // namespace platform
