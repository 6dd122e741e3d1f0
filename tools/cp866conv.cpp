// Converts a UTF-8 text file to CP866 at build time, so data files such as
// "help.txt" can be kept readable in the repository. Fails on a character
// the code page lacks rather than writing a wrong one.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "platform/cp866.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: cp866conv INPUT OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "cp866conv: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string out;
  std::size_t i = 0;
  int line = 1;
  while (i < text.size()) {
    char32_t cp = cp866::next_code_point(text, i);
    int b = cp866::from_unicode(cp);
    if (b < 0) {
      std::cerr << argv[1] << ":" << line << ": character U+" << std::hex << static_cast<unsigned>(cp)
                << " has no CP866 code\n";
      return 1;
    }
    if (b == '\n') ++line;
    out.push_back(static_cast<char>(b));
  }
  std::ofstream o(argv[2], std::ios::binary);
  o.write(out.data(), static_cast<std::streamsize>(out.size()));
  return o ? 0 : 1;
}
