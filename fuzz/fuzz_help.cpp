// "help.txt": the topic search and the help window.
//
// Input: two bytes naming a topic (0..9999), then the file's text.
#include "fuzz/fuzz_support.h"
#include "karvel/context_help.h"
#include "settings/program_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Session session(karvel_program);
  fuzz::Input in(data, size);
  int topic = (in.byte() << 8 | in.byte()) % 10000;
  fuzz::Bytes text = in.rest();
  help_file = std::tmpfile();
  if (!help_file) return 0;
  std::fwrite(text.data(), 1, text.size(), help_file);
  for (int t : {topic, 91, 0}) show_help(t);
  std::fclose(help_file);
  help_file = nullptr;
  return 0;
}
