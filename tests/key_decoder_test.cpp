// What the terminal sends, with the times it arrives, and the key bytes the
// programs get for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/key_decoder.h"

namespace {

using namespace std::literals;
using platform::KeyDecoder;
using Bytes = std::vector<int>;

constexpr int esc = 27;

struct Decoder : ::testing::Test {
  KeyDecoder decoder;
  std::uint64_t now = 5000;

  // Characters arriving together at the current time.
  void send(std::u32string_view text) {
    for (char32_t c : text) decoder.feed(c, now);
  }
  // Characters arriving `gap_ms` apart, as over a slow link.
  void send_slowly(std::u32string_view text, int gap_ms) {
    for (char32_t c : text) {
      decoder.tick(now);
      decoder.feed(c, now);
      now += gap_ms;
    }
  }
  Bytes keys() {
    Bytes out;
    while (decoder.has_key()) out.push_back(decoder.take());
    return out;
  }
  // Everything, once no sequence can still be waiting for more.
  Bytes keys_after_a_while() {
    now += 1000;
    decoder.tick(now);
    return keys();
  }
};

TEST_F(Decoder, CursorAndFunctionKeysInTheFormsTerminalsSendThem) {
  struct Case {
    std::u32string sent;
    Bytes expected;
  };
  const Case cases[] = {
      {U"\x1b[A", {0, 72}},    {U"\x1bOA", {0, 72}},   {U"\x1b[B", {0, 80}},    {U"\x1b[D", {0, 75}},
      {U"\x1bOC", {0, 77}},    {U"\x1b[H", {0, 71}},   {U"\x1b[1~", {0, 71}},   {U"\x1b[7~", {0, 71}},
      {U"\x1b[F", {0, 79}},    {U"\x1b[4~", {0, 79}},  {U"\x1b[5~", {0, 73}},   {U"\x1b[6~", {0, 81}},
      {U"\x1b[2~", {0, 82}},   {U"\x1b[3~", {0, 83}},  {U"\x1bOP", {0, 59}},    {U"\x1b[11~", {0, 59}},
      {U"\x1b[[A", {0, 59}},   {U"\x1b[[E", {0, 63}},  {U"\x1bOS", {0, 62}},    {U"\x1b[15~", {0, 63}},
      {U"\x1b[17~", {0, 64}},  {U"\x1b[21~", {0, 68}}, {U"\x1b[23~", {0, 0x85}}, {U"\x1b[24~", {0, 0x86}},
      {U"\x1bOM", {13}},       {U"\x1bOp", {'0'}},
  };
  for (const Case& c : cases) {
    send(c.sent);
    EXPECT_EQ(keys(), c.expected) << "sequence of " << c.sent.size() << " ending " << char(c.sent.back());
  }
}

TEST_F(Decoder, ModifiedKeysAreTheirOwnScanCodesNeverThePlainKey) {
  send(U"\x1b[21;2~");  // Shift+F10 is not F10
  EXPECT_EQ(keys(), (Bytes{0, 0x5D}));
  send(U"\x1b[1;2P");  // Shift+F1
  EXPECT_EQ(keys(), (Bytes{0, 0x54}));
  send(U"\x1b[1;5A");  // Ctrl+Up
  EXPECT_EQ(keys(), (Bytes{0, 0x8D}));
  send(U"\x1b[1;3B");  // Alt+Down
  EXPECT_EQ(keys(), (Bytes{0, 0xA0}));
  send(U"\x1b[1;3Q");  // Alt+F2
  EXPECT_EQ(keys(), (Bytes{0, 0x69}));
  send(U"\x1b[2^");  // rxvt Ctrl+Insert
  EXPECT_EQ(keys(), (Bytes{0, 0x92}));
  send(U"\x1b[Z");  // Shift+Tab
  EXPECT_EQ(keys(), (Bytes{0, 0x0F}));
  send(U"\x1b[1;2C");  // Shift+Right moves as Right does
  EXPECT_EQ(keys(), (Bytes{0, 77}));
}

TEST_F(Decoder, AltWithALetterIsTheExtendedKeyOfThatLetterNeverEsc) {
  send(U"\x1bx");
  EXPECT_EQ(keys(), (Bytes{0, 0x2D}));
  send(U"\x1bX");
  EXPECT_EQ(keys(), (Bytes{0, 0x2D}));
  send(U"\x1bq\x1b" U"a\x1bm");
  EXPECT_EQ(keys(), (Bytes{0, 0x10, 0, 0x1E, 0, 0x32}));
  send(U"\x1b" U"1\x1b=\x1b?");
  EXPECT_EQ(keys(), (Bytes{0, 0x78, 0, 0x83, 0, 0x35}));
  // Russian letters are the keys they share with the US layout.
  send(U"\x1bй\x1bЙ\x1bф\x1bю\x1bё");
  EXPECT_EQ(keys(), (Bytes{0, 0x10, 0, 0x10, 0, 0x1E, 0, 0x34, 0, 0x29}));
  // "Esc [" and "Esc O" with nothing after them are Alt+[ and Alt+O.
  send(U"\x1b[");
  EXPECT_EQ(keys_after_a_while(), (Bytes{0, 0x1A}));
  send(U"\x1bO");
  EXPECT_EQ(keys_after_a_while(), (Bytes{0, 0x18}));
  // Alt with a character that has no scan code is dropped.
  send(U"\x1b \x1b\u00e9");
  EXPECT_EQ(keys_after_a_while(), Bytes{});
}

TEST_F(Decoder, SequencesNoKeySendsAreDroppedWholeAndWhatFollowsIsIntact) {
  send(U"\x1b[200~pasted\x1b[201~");  // bracketed paste markers
  EXPECT_EQ(keys(), (Bytes{'p', 'a', 's', 't', 'e', 'd'}));
  send(U"\x1b[?1;2c" U"q");  // a terminal's reply
  EXPECT_EQ(keys(), (Bytes{'q'}));
  send(U"\x1b[<0;12;5M" U"q");  // a mouse report
  EXPECT_EQ(keys(), (Bytes{'q'}));
  send(U"\x1b[99~\x1b[1;2E\x1bOz" U"q");  // unknown numbers and letters
  EXPECT_EQ(keys(), (Bytes{'q'}));
  send(U"\x1b[" + std::u32string(40, U'1') + U"~q");  // longer than any key's
  EXPECT_EQ(keys(), (Bytes{'q'}));
  // A sequence broken off by another Esc or a control character.
  send(U"\x1b[1;\x1b[B");
  EXPECT_EQ(keys(), (Bytes{0, 80}));
  send(U"\x1b[12\r");
  EXPECT_EQ(keys(), (Bytes{13}));
}

TEST_F(Decoder, EscAloneIsEscOnceItsWaitIsOver) {
  send(U"\x1b");
  ASSERT_TRUE(decoder.deadline().has_value());
  EXPECT_EQ(*decoder.deadline(), now + KeyDecoder::esc_wait_ms);
  decoder.tick(now + KeyDecoder::esc_wait_ms - 1);
  EXPECT_FALSE(decoder.has_key());
  decoder.tick(now + KeyDecoder::esc_wait_ms);
  EXPECT_EQ(keys(), (Bytes{esc}));
  EXPECT_FALSE(decoder.deadline().has_value());

  // A key pressed after the wait is a key of its own, even when it is read
  // before anyone looked at the clock.
  send(U"\x1b");
  now += KeyDecoder::esc_wait_ms + 20;
  send(U"x");
  EXPECT_EQ(keys(), (Bytes{esc, 'x'}));

  // At the end of the input a waiting Esc is Esc.
  send(U"\x1b");
  decoder.flush();
  EXPECT_EQ(keys(), (Bytes{esc}));
}

TEST_F(Decoder, EscFollowedByEscEnterTabOrBackspaceIsTwoKeys) {
  send(U"\x1b\x1b\x1b");
  EXPECT_EQ(keys_after_a_while(), (Bytes{esc, esc, esc}));
  send(U"\x1b\r");
  EXPECT_EQ(keys(), (Bytes{esc, 13}));
  send(U"\x1b\x1b\r");
  EXPECT_EQ(keys(), (Bytes{esc, esc, 13}));
  send(U"\x1b\t\x1b\x7f");
  EXPECT_EQ(keys(), (Bytes{esc, 9, esc, 8}));
}

TEST_F(Decoder, ASequenceArrivingInPiecesOverASlowLinkIsOneKey) {
  send_slowly(U"\x1b[A", 40);
  EXPECT_EQ(keys_after_a_while(), (Bytes{0, 72}));
  send_slowly(U"\x1bOB", KeyDecoder::esc_wait_ms - 5);
  EXPECT_EQ(keys_after_a_while(), (Bytes{0, 80}));
  // Once begun, a sequence may take its time between characters.
  send_slowly(U"\x1b", 10);
  send_slowly(U"[21;2~", KeyDecoder::sequence_gap_ms - 10);
  EXPECT_EQ(keys_after_a_while(), (Bytes{0, 0x5D}));
  // One that stops half way is dropped, and the next key is itself.
  send(U"\x1b[1;");
  now += KeyDecoder::sequence_gap_ms;
  send(U"q");
  EXPECT_EQ(keys(), (Bytes{'q'}));
}

TEST_F(Decoder, OrdinaryKeysAreTheirCodePageBytes) {
  send(U"aZ5 \r\t\x08\x7f");
  EXPECT_EQ(keys(), (Bytes{'a', 'Z', '5', ' ', 13, 9, 8, 8}));
  send(U"жЖё");
  EXPECT_EQ(keys(), (Bytes{0xA6, 0x86, 0xF1}));
  // A NUL would pass for the extended prefix; characters the code page
  // lacks have no key byte.
  send(U"\0q\u4e2d"s);
  EXPECT_EQ(keys(), (Bytes{'q'}));
}

TEST_F(Decoder, DroppedKeysGoWholeWithTheirPrefix) {
  send(U"\x1b[A" U"q");
  decoder.drop_keys();
  EXPECT_FALSE(decoder.has_key());
  send(U"\x1b[B");
  EXPECT_EQ(keys(), (Bytes{0, 80}));
}

}  // namespace
