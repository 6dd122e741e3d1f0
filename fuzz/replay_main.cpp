// Runs a fuzz target on stored inputs, for the normal test suite: every
// file named, and every file in every folder named (a folder that does not
// exist is skipped). A crash fails the test as it would the fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int replayed = 0;
  // The first input takes the target into a work folder of its own, so the
  // places named are taken from where the replay was started.
  std::vector<fs::path> places;
  for (int i = 1; i < argc; ++i) places.push_back(fs::absolute(argv[i]));
  for (const fs::path& where : places) {
    std::error_code ec;
    if (fs::is_directory(where, ec)) {
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(where, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const fs::path& f : files) replay(f), ++replayed;
    } else if (fs::is_regular_file(where, ec)) {
      replay(where);
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
