// The key decoder on whatever a terminal may send, at whatever pace: every
// character, sequence and pause comes from the input.
//
// Input: steps of two bytes. The first byte's low six bits are the pause
// before the character, in steps of 8 ms (so both sides of the Esc wait and
// the sequence gap are reached); bit 6 makes the character a code point
// beyond ASCII, from the second byte and the pause (up to the last plane);
// bit 7 lets the decoder's time run out before the character comes. The
// second byte is the character.
//
// Checked: an extended key's two bytes are always queued together, a held
// sequence always has a deadline and is given up once it has passed, and
// no input makes the decoder hold more keys than it was given characters
// for.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "platform/key_decoder.h"

namespace {

void check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz: key decoder: %s\n", what);
  std::abort();
}

// Takes every key ready; an extended prefix never waits for its scan code.
void take_keys(platform::KeyDecoder& decoder, std::size_t& taken) {
  while (decoder.has_key()) {
    std::uint8_t b = decoder.take();
    ++taken;
    if (b == key::extended) {
      check(decoder.has_key(), "an extended prefix without its scan code");
      decoder.take();
      ++taken;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::KeyDecoder decoder;
  fuzz::Input in(data, size);
  std::uint64_t now = 1000;
  std::size_t fed = 0, taken = 0;
  while (!in.empty()) {
    std::uint8_t step = in.byte(), byte = in.byte();
    now += 8u * (step & 63);
    char32_t ch = byte;
    if (step & 64) ch = 0x80 + ((static_cast<char32_t>(step & 63) << 16 | byte << 8 | byte) % 0x10FF80);
    if (step & 128) {
      if (auto due = decoder.deadline()) {
        if (*due > now) now = *due;
        decoder.tick(now);
        check(!decoder.deadline() || *decoder.deadline() > now, "a sequence held past its deadline");
      }
    }
    decoder.feed(ch, now);
    ++fed;
    take_keys(decoder, taken);
  }
  decoder.flush();
  check(!decoder.deadline(), "a sequence held after the input ended");
  take_keys(decoder, taken);
  // Each character gives at most one key of two bytes.
  check(taken <= 2 * fed, "more key bytes than the characters could give");
  return 0;
}
