// The internal subscriber settings pages: every column's texts and cycle
// (the hot line with its jumps), the station-wide day/night setting under
// F1, and records the station answers with another length than one byte.
#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

constexpr int cell_x[6] = {13, 25, 37, 46, 58, 71};

struct SubscriberSettings : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    for (int k = 1; k <= 16; ++k) {
      for (int g = 20; g <= 25; ++g) rec(g, k) = {0};
      rec(34, k) = {0};
    }
    rec(129, 1) = {0};
  }
  std::string cell(int column, int k, int length) { return utf8_at(cell_x[column - 1], k + 6, length); }
  // The texts a cell showed each time a key was read, while Enter, `spaces`
  // Spaces and Esc edit it: entry i is the text after i Spaces.
  std::vector<std::string> texts_while_stepping(int column, int k, int length, int spaces) {
    test::KeySpy spy{&services.keys, [&] { return cell(column, k, length); }};
    platform::services().keys = &spy;
    go(column, k);
    keys({key::enter});
    for (int i = 0; i < spaces; ++i) keys({key::space});
    keys({key::esc, key::esc});
    subscriber_settings_screen(1);
    platform::services().keys = &services.keys;
    const std::size_t navigation_keys = 2 * ((column - 1) + (k - 1)) + 1;
    return std::vector<std::string>(spy.seen.begin() + static_cast<std::ptrdiff_t>(navigation_keys), spy.seen.end() - 1);
  }
};

TEST_F(SubscriberSettings, PageOneShowsItsHeadingsAndEveryColumnInItsFormat) {
  link_state.subscriber_count = 8;
  link_state.city_line_count = 2;
  rec(20, 1) = {1};
  rec(22, 2) = {1};
  rec(23, 1) = {2};
  rec(23, 3) = {3};  // beyond the station's lines: shown as stored
  rec(24, 1) = {3};
  rec(24, 2) = {22};
  rec(24, 3) = {35};
  rec(24, 4) = {130};
  rec(25, 1) = {1};
  rec(25, 2) = {9};
  rec(25, 3) = {10};  // no such duration: blank
  keys({key::esc});
  subscriber_settings_screen(1);
  EXPECT_EQ(utf8_at(26, 2, 30), "Установки внутренних абонентов");
  EXPECT_EQ(utf8_at(3, 4, 5), "Номер");
  EXPECT_EQ(utf8_at(11, 5, 7), "вмешат.");
  EXPECT_EQ(utf8_at(23, 5, 8), "уведомл.");
  EXPECT_EQ(utf8_at(34, 4, 10), "Разр. пер.");
  EXPECT_EQ(utf8_at(46, 4, 9), "Лин. нач.");
  EXPECT_EQ(utf8_at(59, 4, 7), "Горячая");
  EXPECT_EQ(utf8_at(70, 5, 9), "ФЛЭШ (Мс)");
  // The frame's joints, row by row: the outer edges, the double line after
  // the numbers and the single ones between the settings.
  const char* joints[3][4] = {{"╔", "╦", "╤", "╗"}, {"╠", "╬", "╪", "╣"}, {"╚", "╩", "╧", "╝"}};
  const int frame_rows[3] = {3, 6, 23};
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(utf8_at(1, frame_rows[r], 1), joints[r][0]) << "row " << frame_rows[r];
    EXPECT_EQ(utf8_at(8, frame_rows[r], 1), joints[r][1]) << "row " << frame_rows[r];
    for (int x : {20, 32, 44, 56, 68}) EXPECT_EQ(utf8_at(x, frame_rows[r], 1), joints[r][2]) << x << "," << frame_rows[r];
    EXPECT_EQ(utf8_at(80, frame_rows[r], 1), joints[r][3]) << "row " << frame_rows[r];
  }
  EXPECT_EQ(utf8_at(2, 6, 6), "══════");
  EXPECT_EQ(utf8_at(44, 22, 1), "│");
  EXPECT_EQ(utf8_at(8, 4, 1), "║");
  EXPECT_EQ(utf8_at(4, 7, 2), "11");
  EXPECT_EQ(utf8_at(4, 14, 2), "18");
  EXPECT_EQ(utf8_at(4, 15, 2), "  ");
  EXPECT_EQ(cell(1, 1, 3), " Да");
  EXPECT_EQ(cell(1, 2, 3), "Нет");
  EXPECT_EQ(cell(3, 2, 3), " Да");
  EXPECT_EQ(cell(4, 1, 10), " Линия 2  ");
  EXPECT_EQ(cell(4, 2, 10), "Равномерно");
  EXPECT_EQ(cell(4, 3, 10), " Линия 3  ");
  EXPECT_EQ(cell(5, 1, 10), "Вн абн 13 ");
  EXPECT_EQ(cell(5, 2, 10), "Гр выз 32 ");
  EXPECT_EQ(cell(5, 3, 10), "Гр выз 45 ");
  EXPECT_EQ(cell(5, 4, 10), "Гор лин 2 ");
  EXPECT_EQ(cell(5, 5, 10), "   Нет    ");
  EXPECT_EQ(cell(6, 1, 8), "100-200 ");
  EXPECT_EQ(cell(6, 2, 8), "900-1000");
  EXPECT_EQ(cell(6, 3, 8), "        ");
  EXPECT_EQ(cell(1, 9, 3), "   ");  // no subscriber 19
  EXPECT_EQ(utf8_at(1, 24, 66), "Разрешение переключения режимов День/Ночь: Ручное и автоматическое");
  EXPECT_EQ(utf8_at(1, 1, 4), " F1 ");
  EXPECT_EQ(test::colour_at(1, 1), 0x20);
  EXPECT_EQ(utf8_at(5, 1, 55), " - Изменение разрешения переключения режимов День/Ночь ");
  EXPECT_EQ(test::colour_at(5, 1), 0x70);
}

TEST_F(SubscriberSettings, HotLineCycleJumpsToTheCallGroupsAndTheLines) {
  link_state.subscriber_count = 8;
  link_state.city_line_count = 4;
  std::vector<std::string> want = {"   Нет    "};
  for (int v = 11; v <= 18; ++v) want.push_back("Вн абн " + std::to_string(v) + " ");
  for (int v = 31; v <= 36; ++v) want.push_back("Гр выз " + std::to_string(v) + " ");
  for (int v = 41; v <= 46; ++v) want.push_back("Гр выз " + std::to_string(v) + " ");
  for (int l = 1; l <= 4; ++l) want.push_back("Гор лин " + std::to_string(l) + " ");
  want.push_back("   Нет    ");
  EXPECT_EQ(texts_while_stepping(5, 2, 10, 25), want);
  EXPECT_TRUE(on_line.records_written.empty());
  // The field is nine places wide, columns 58..66.
  go(5, 2);
  keys({key::enter});
  EXPECT_TRUE(test::runs_until_script_ends([] { subscriber_settings_screen(1); }));
  EXPECT_EQ(test::colour_at(66, 8), 0x70);
  EXPECT_EQ(test::colour_at(67, 8), 0x1E);

  // The codes behind the texts: 8 steps to 21, 26 to 31, 36 to 129, 132 to 0.
  const int from[4] = {8, 26, 36, 132}, to[4] = {21, 31, 129, 0};
  for (int k = 1; k <= 4; ++k) rec(24, k) = {static_cast<std::uint8_t>(from[k - 1])};
  go(5, 1);
  for (int k = 1; k <= 4; ++k) keys({key::enter, key::space, key::enter, 0, key::down});
  keys({key::esc});
  subscriber_settings_screen(1);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(rec(24, k), Bytes{static_cast<std::uint8_t>(to[k - 1])}) << "subscriber " << k;
}

TEST_F(SubscriberSettings, LineSearchStartCyclesOverTheStationsLinesAndFlashWraps) {
  link_state.city_line_count = 2;
  EXPECT_EQ(texts_while_stepping(4, 1, 10, 3),
            (std::vector<std::string>{"Равномерно", " Линия 1  ", " Линия 2  ", "Равномерно"}));
  rec(25, 3) = {9};
  rec(20, 3) = {1};
  go(6, 3);
  keys({key::enter, key::space, key::enter});
  keys({0, key::right, key::enter, key::space, key::enter, key::esc});  // column 1: yes to no
  subscriber_settings_screen(1);
  EXPECT_EQ(rec(25, 3), Bytes{0});
  EXPECT_EQ(cell(6, 3, 8), "200-600 ");
  EXPECT_EQ(rec(20, 3), Bytes{0});
  EXPECT_EQ(cell(1, 3, 3), "Нет");
}

TEST_F(SubscriberSettings, F1ChangesTheStationWideDayNightSetting) {
  rec(129, 1) = {1};
  keys({0, key::f1, key::space, key::enter, key::esc});
  subscriber_settings_screen(1);
  EXPECT_EQ(rec(129, 1), Bytes{0});
  EXPECT_EQ(utf8_at(44, 24, 23), "Ручное и автоматическое");
  keys({0, key::f1, key::space});
  EXPECT_TRUE(test::runs_until_script_ends([] { subscriber_settings_screen(1); }));
  EXPECT_EQ(utf8_at(44, 24, 23), "Только ручное          ");
  EXPECT_EQ(test::colour_at(44, 24), 0x70);
  EXPECT_EQ(rec(129, 1), Bytes{0});  // not written without Enter
}

TEST_F(SubscriberSettings, ADayNightRecordOfAnotherLengthIsNotShownAndF1DoesNothing) {
  rec(129, 1) = {1, 0};
  keys({0, key::f1, 0, key::f1, key::esc});  // both F1 presses end up back in the navigation
  subscriber_settings_screen(1);
  EXPECT_EQ(utf8_at(1, 24, 80), std::string(80, ' '));
  EXPECT_EQ(utf8_at(1, 1, 4), "    ");
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(writes_of(129, 1), 0);
  int reads = 0;
  for (auto& r : on_line.records_read) reads += r == std::make_pair(129, 1);
  EXPECT_EQ(reads, 2);  // twice alike
}

// A subscriber's record of another length than one byte is blank and not
// edited, and none of its bytes is shown.
TEST_F(SubscriberSettings, ARecordOfAnotherLengthIsBlankAndNotEdited) {
  rec(21, 2) = {1, 1};
  rec(24, 2) = {};
  go(2, 2);
  keys({key::enter, key::space, key::enter});
  keys({0, key::right, 0, key::right, 0, key::right, key::enter, key::space, key::enter, key::esc});
  subscriber_settings_screen(1);
  EXPECT_EQ(cell(2, 2, 3), "   ");
  EXPECT_EQ(cell(5, 2, 10), std::string(10, ' '));
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(rec(21, 2), (Bytes{1, 1}));
}

TEST_F(SubscriberSettings, PageTwoEditsToneDiallingOnlyForTheStationsSubscribers) {
  link_state.subscriber_count = 3;
  rec(34, 2) = {1};
  keys({0, key::down, key::enter, key::space, key::enter});           // subscriber 12: no
  keys({0, key::down, 0, key::down, 0, key::down, key::enter, key::space, key::enter});  // row 5: nothing
  keys({0, key::right, key::esc});  // one column only: Right stays on it
  subscriber_settings_screen(2);
  EXPECT_EQ(utf8_at(12, 4, 5), "Разр.");
  EXPECT_EQ(utf8_at(10, 5, 9), "Тон.набор");
  EXPECT_EQ(utf8_at(24, 4, 5), "     ");
  EXPECT_EQ(rec(34, 2), Bytes{0});
  EXPECT_EQ(utf8_at(13, 8, 3), "Нет");
  EXPECT_EQ(utf8_at(13, 11, 3), "   ");
  EXPECT_EQ(on_line.records_written.size(), 1u);
  EXPECT_EQ(utf8_at(1, 24, 80), std::string(80, ' '));  // no day/night line on page 2
  for (auto& r : on_line.records_read) EXPECT_EQ(r.first, 34);
}

}  // namespace
