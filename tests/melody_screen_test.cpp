// The melody screen both programs share, on a station of its own: what it
// asks of the station, one value at a time, and what an answer that ends
// the screen does to "name.mld".
#include <string>
#include <vector>

#include "settings/melody_screen.h"
#include "tests/settings_test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Two bytes and a log of every call; `ending` makes that call end the screen.
class FakeStation : public MelodyStation {
 public:
  int bytes[2] = {3, 0x45};
  std::vector<std::string> calls;
  std::string ending;
  bool keep_names = true;

  bool enter() override {
    log("enter");
    return true;
  }
  void start() override { log("start"); }
  ValueRead read(MelodyItem item) override {
    if (log("read " + name(item))) return {ValueRead::end};
    return {ValueRead::value, bytes[static_cast<int>(item)]};
  }
  ValueWrite write(MelodyItem item, int byte) override {
    if (log("write " + name(item) + " " + std::to_string(byte))) return ValueWrite::end;
    bytes[static_cast<int>(item)] = byte;
    return ValueWrite::stored;
  }
  bool names_kept_after_failure() override { return keep_names; }

 private:
  static std::string name(MelodyItem item) { return item == MelodyItem::melody ? "melody" : "volume"; }
  bool log(const std::string& call) {
    calls.push_back(call);
    return call == ending;
  }
};

const MelodyScreenLook look{{30, 2}, "Title", " Melody ", false, true, '=', '#', {{40, 8}, 31}, nullptr};

struct MelodyScreenTest : test::SettingsFixture {
  FakeStation station;
};

TEST_F(MelodyScreenTest, EachValueIsReadForShowingAndChoosingAndWrittenOnEnter) {
  keys({key::enter, 0, key::right, 0, key::f4, 'N', key::enter, key::enter});  // melody 4, named "N"
  keys({0, key::down, key::enter, 0, key::left, key::esc, key::esc});         // the volume left as it was
  run_melody_screen(look, station);
  EXPECT_EQ(station.calls, (std::vector<std::string>{"enter", "start", "read melody", "read volume", "read melody",
                                                      "write melody 4", "read melody", "read volume", "read volume"}));
  EXPECT_EQ(test::utf8_at(35, 8, 3) + test::utf8_at(40, 8, 2), " 5.N ");
  EXPECT_EQ(test::utf8_at(40, 11, 16), "==========#=====");  // 0x45: level 10
  Bytes names = read_file("name.mld");
  ASSERT_EQ(names.size(), 512u);
  EXPECT_EQ(names[4 * 32], 'N');
}

// The station that ends the screen says whether the names edited so far
// still reach the file.
TEST_F(MelodyScreenTest, AnAnswerThatEndsTheScreenLeavesTheNamesToTheStation) {
  for (bool keep : {false, true}) {
    write_file("name.mld", Bytes(8, 'A'));
    station.calls.clear();
    station.ending = "write melody 3";
    station.keep_names = keep;
    keys({key::enter, 0, key::f4, 'B', key::enter, key::enter});
    run_melody_screen(look, station);
    EXPECT_EQ(station.calls.back(), "write melody 3");
    EXPECT_EQ(read_file("name.mld").size(), keep ? 512u : 8u);
    EXPECT_EQ(services.keys.left(), 0u);
  }
}

}  // namespace
