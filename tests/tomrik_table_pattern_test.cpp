// What every subscriber, permission, group and melody screen shares: error
// box 5 without a station, and a failed first read ending the screen with
// its box.
#include <filesystem>
#include <functional>

#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;

struct NamedScreen {
  const char* name;
  std::function<void()> run;
};

const std::vector<NamedScreen>& screens() {
  static const std::vector<NamedScreen> all = {
      {"subscribers 1", [] { subscriber_settings_screen(1); }},
      {"subscribers 2", [] { subscriber_settings_screen(2); }},
      {"permissions 26", [] { permission_table_screen(26); }},
      {"permissions 33", [] { permission_table_screen(33); }},
      {"tariffing", tariffing_modes_screen},
      {"pickup groups", pickup_groups_screen},
      {"call groups", call_groups_screen},
      {"melody", melody_screen},
  };
  return all;
}

struct TablePattern : test::TomrikStationTest {};

TEST_F(TablePattern, WithoutAStationEveryScreenShowsErrorFiveAndReadsNothing) {
  link_state.station_connected = 0;
  for (const NamedScreen& s : screens()) {
    test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
    platform::services().keys = &spy;
    keys({key::esc});
    s.run();
    EXPECT_TRUE(spy.saw("Не выбран порт обмена")) << s.name;
    EXPECT_EQ(services.keys.left(), 0u) << s.name;
    platform::services().keys = &services.keys;
  }
  EXPECT_TRUE(on_line.records_read.empty());
  EXPECT_FALSE(std::filesystem::exists("name.mld"));
}

TEST_F(TablePattern, AFailedFirstReadEndsEveryScreenWithItsBox) {
  for (const NamedScreen& s : screens()) {
    bool first = true;
    on_line.failing_records.clear();
    on_line.on_record = [&](int group, int index) {
      if (first) on_line.failing_records.insert({group, index});
      first = false;
    };
    test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
    platform::services().keys = &spy;
    keys({key::esc});
    s.run();
    EXPECT_FALSE(first) << s.name;
    EXPECT_TRUE(spy.saw("Не совпала контрольная сумма.")) << s.name;
    EXPECT_EQ(services.keys.left(), 0u) << s.name;
    platform::services().keys = &services.keys;
  }
  EXPECT_TRUE(on_line.records_written.empty());
}

// The simulator's freshly installed station gives every screen something to
// show, and answers every record they read.
TEST_F(TablePattern, TheDefaultStationFillsEveryScreen) {
  auto shows = [&](const NamedScreen& s, int column, int row, const std::string& text) {
    test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
    platform::services().keys = &spy;
    keys({key::esc});
    s.run();
    platform::services().keys = &services.keys;
    EXPECT_FALSE(spy.saw("Ошибка обмена")) << s.name;
    EXPECT_EQ(utf8_at(column, row, static_cast<int>(cp866::from_utf8(text).size())), text) << s.name;
  };
  const std::vector<NamedScreen>& all = screens();
  shows(all[0], 58, 7, "Гор лин 1");  // subscriber 11's hot line
  EXPECT_EQ(utf8_at(1, 24, 66), "Разрешение переключения режимов День/Ночь: Ручное и автоматическое");
  shows(all[0], 13, 7, " Да");          // and intrusion
  shows(all[1], 13, 22, " Да");         // tone dialling for subscriber 26
  shows(all[2], 70, 23, " Да");         // city calls by day on line 4
  shows({"long distance", [] { permission_table_screen(28); }}, 34, 11, " Да");
  shows({"long distance", [] { permission_table_screen(28); }}, 16, 12, "Нет");
  shows(all[4], 26, 8, "  Да ");
  shows(all[5], 50, 12, " 17");  // pickup group 2
  shows(all[5], 62, 11, " 14");  // pickup group 1
  shows(all[6], 31, 11, " 13");  // general call group 1
  shows(all[7], 35, 8, " 4.");
  EXPECT_EQ(utf8_at(40, 11, 16), "=======#========");
}

}  // namespace
