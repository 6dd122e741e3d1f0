#pragma once
// What the fuzz targets share: the program-wide state put back before each
// input, a keyboard that plays a script and then keys that leave every
// screen, a working folder of its own for the files a target writes, and a
// reader of the input bytes.
//
// Each target defines LLVMFuzzerTestOneInput. Built with -DFUZZ=ON it is a
// libFuzzer binary; otherwise replay_main.cpp runs it on the stored corpus
// and regressions, as a test of the normal suite.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/link_port.h"
#include "link/link_state.h"
#include "platform/keys.h"
#include "platform/twins.h"
#include "settings/program_profile.h"
#include "settings/settings_image.h"
#include "settings/settings_state.h"
#include "toolkit/profile.h"

namespace fuzz {

using Bytes = std::vector<std::uint8_t>;

// The input, taken from the front.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  std::size_t left() const { return size_ - at_; }
  // The next byte, 0 once the input is used up.
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  // The next n bytes, 0 for those past the end.
  Bytes take(int n) {
    Bytes out;
    for (int i = 0; i < n; ++i) out.push_back(byte());
    return out;
  }
  Bytes rest() {
    Bytes out(data_ + at_, data_ + size_);
    at_ = size_;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Keys: the script first, then the fallback keys in turn, which leave every
// screen (Esc; Enter where Esc is ignored; two Esc to one Enter, so that a
// message and the list after it both see Esc in some round). A screen that
// keeps reading keys past the limit never ends: that is a fault, and the
// target stops there.
class Keys : public platform::KeyInput {
 public:
  std::deque<std::uint8_t> script;
  std::vector<std::uint8_t> fallback{key::esc, key::esc, key::enter};
  bool always_waiting = false;  // for screens that look for keys between bytes
  long limit = 20000;

  void add(std::initializer_list<int> keys) {
    for (int k : keys) script.push_back(static_cast<std::uint8_t>(k));
  }
  void add_text(const std::string& text) { script.insert(script.end(), text.begin(), text.end()); }
  bool waiting() override { return always_waiting; }
  std::uint8_t read() override {
    if (++reads_ > limit) {
      std::fprintf(stderr, "fuzz: a screen read %ld keys and never ended\n", reads_);
      std::abort();
    }
    if (!script.empty()) {
      std::uint8_t k = script.front();
      script.pop_front();
      return k;
    }
    return fallback[static_cast<std::size_t>(fallback_at_++) % fallback.size()];
  }

 private:
  long reads_ = 0;
  long fallback_at_ = 0;
};

// A folder of the process's own, made on first use and removed at exit;
// the targets' files ("f.set", "tarif.dat", "cmd.ttt") live there.
inline void enter_work_folder() {
  static bool entered = false;
  if (entered) return;
  char pattern[] = "/tmp/station_fuzz_XXXXXX";
  if (!::mkdtemp(pattern)) {
    std::perror("mkdtemp");
    std::abort();
  }
  static std::string folder = pattern;
  std::filesystem::current_path(folder);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  });
  entered = true;
}

inline void write_file(const std::string& name, const Bytes& bytes) {
  std::ofstream f(name, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The paths among libFuzzer's arguments (corpus folders, and the files
// and prefixes its flags name), made absolute where they are relative:
// the target runs in a folder of its own.
inline std::vector<std::string> absolute_paths(int argc, char** argv) {
  const char* path_flags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict=", "-merge_control_file=",
                              "-features_dir=", "-mutation_graph_file=", "-stop_file="};
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (i > 0 && !arg.empty() && arg[0] != '-') arg = std::filesystem::absolute(arg).string();
    for (const char* flag : path_flags) {
      std::string name = flag;
      if (arg.compare(0, name.size(), name) == 0 && arg.size() > name.size() && arg[name.size()] != '/')
        arg = name + std::filesystem::absolute(arg.substr(name.size())).string();
    }
    args.push_back(arg);
  }
  return args;
}

// One input's run: twins for the platform, the program's profile, and all
// program-wide state as at start-up.
struct Session {
  platform::TestServices services;
  Keys keys;

  explicit Session(const ProgramProfile& program) {
    enter_work_folder();
    platform::services().keys = &keys;
    use_program(program);
    link_use_port(nullptr);
    link_state = LinkState();
    settings_state = SettingsState();
    settings_image = SettingsImage();
  }
  ~Session() {
    link_use_port(nullptr);
    link_state = LinkState();
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
};

}  // namespace fuzz

// libFuzzer calls this before it reads its arguments, which then name the
// same places from the work folder. (Each target is one source file, so
// this is defined once in each.)
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<std::string> kept = fuzz::absolute_paths(*argc, *argv);
  static std::vector<char*> pointers;
  for (std::string& arg : kept) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  *argv = pointers.data();
  fuzz::enter_work_folder();
  return 0;
}
