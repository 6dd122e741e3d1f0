#pragma once
// A fixture for the settings commands: scripted keys, a temporary current
// directory, and the program-wide state cleared before each test.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "tests/test_support.h"
#include "toolkit/profile.h"
#include "toolkit/screen.h"

namespace test {

namespace fs = std::filesystem;

// Notes what the screen showed each time a key was read, so that messages
// which are blanked once their key has come can still be looked at.
class KeySpy : public platform::KeyInput {
 public:
  KeySpy(platform::KeyInput* keys, std::function<std::string()> snapshot) : keys_(keys), snapshot_(std::move(snapshot)) {}
  bool waiting() override { return keys_->waiting(); }
  std::uint8_t read() override {
    seen.push_back(snapshot_());
    return keys_->read();
  }
  // How many of the snapshots hold the text.
  int count(const std::string& text) const {
    int n = 0;
    for (auto& s : seen) n += s.find(text) != std::string::npos;
    return n;
  }
  bool saw(const std::string& text) const { return count(text) > 0; }
  std::vector<std::string> seen;

 private:
  platform::KeyInput* keys_;
  std::function<std::string()> snapshot_;
};

struct SettingsFixture : ::testing::Test {
  platform::TestServices services;
  fs::path old_dir = fs::current_path();
  fs::path dir;

  void SetUp() override {
    static int serial = 0;
    dir = fs::temp_directory_path() / ("settings_test_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    use_program(karvel_program);
    reset_run_state();
  }
  // Drops the port too, before a station the test put on the line goes.
  void TearDown() override {
    reset_run_state();
    fs::current_path(old_dir);
    fs::remove_all(dir);
  }

  void keys(std::initializer_list<int> k, std::uint64_t after_ms = 0) { services.keys.add(k, after_ms); }
  void type(const std::string& text) { services.keys.add_text(text); }

  static void write_file(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(name, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static std::vector<std::uint8_t> read_file(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
  }
  // The names in the directory, temporary ones included.
  std::vector<std::string> directory_names() const {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    return names;
  }
  // A karvel image with a valid identity and a pattern in every block.
  static std::vector<std::uint8_t> karvel_file(const char* identity = "K-T216A4") {
    std::vector<std::uint8_t> image(karvel_image_size);
    for (int i = 0; i < karvel_image_size; ++i) image[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    for (int i = 0; i < 8; ++i) image[i] = static_cast<std::uint8_t>(identity[i]);
    image[0x1F] = 0x11;
    return image;
  }
};

}  // namespace test
