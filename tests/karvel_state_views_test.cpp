// The subscriber, SELECTOR and expansion board views against the
// in-process station.
#include <cstdio>

#include "karvel/context_help.h"
#include "karvel/screens.h"
#include "tests/station_fixtures.h"
#include "tests/settings_test_support.h"

namespace {

using test::text_at;
using test::utf8_at;

struct StateViews : test::KarvelStationTest {
  // The state blocks of ports the subscriber view read, in order.
  std::vector<int> ports_read() const {
    std::vector<int> ports;
    for (int a : block_addresses)
      if (a < 0x3000 && a % 256 == 0) ports.push_back(a / 256);
    return ports;
  }
};

TEST_F(StateViews, SubscriberViewSwitchesPortsWithinTheStation) {
  keys({'1', key::enter});
  keys({0, key::pgup}, 700);   // at port 1: stays
  keys({0, key::pgdn}, 500);   // 2
  keys({0, key::end}, 500);    // 24
  keys({0, key::pgdn}, 500);   // stays at 24
  keys({0, key::home}, 500);   // 1
  keys({key::esc}, 500);
  subscriber_view();
  EXPECT_EQ(ports_read(), (std::vector<int>{1, 1, 2, 24, 24, 1}));
  EXPECT_EQ(text_at(58, 2, 2), " 1");
}

TEST_F(StateViews, SubscriberViewShowsTheStateBlockAndBuffersOfItsPort) {
  poke(0x0300, {0x12, 0x20, 0x58, 0, 4, 0, 11, 0});
  poke(0x0330, {5, 6, 0, 0, 0, 0, 0, 200});
  poke(0x0350, {1, 2, 3, 4, 5, 6, 7, 8});
  keys({'3', key::enter});
  keys({key::esc}, 900);
  subscriber_view();
  EXPECT_EQ(utf8_at(16, 2, 39), "Отображение текущего состояния абонента");
  EXPECT_EQ(utf8_at(1, 1, 9), "Esc-Выход");
  EXPECT_EQ(utf8_at(71, 1, 10), "F10-Помощь");
  EXPECT_EQ(utf8_at(71, 2, 9), "F9 -Порт ");
  EXPECT_EQ(utf8_at(31, 25, 14), "PgUp-Предыдущ ");
  EXPECT_EQ(utf8_at(69, 25, 11), "End-Последн");
  EXPECT_EQ(utf8_at(2, 4, 27), "Текущее состояние абонента ");
  EXPECT_EQ(utf8_at(2, 10, 27), "Требование подключения     ");
  EXPECT_EQ(utf8_at(2, 22, 15), "Буфер удержаний");
  EXPECT_EQ(text_at(58, 2, 2), " 3");
  EXPECT_EQ(text_at(1, 25, 16), "STAT=12, RGFL=20");
  EXPECT_EQ(utf8_at(30, 4, 16), "Трубка снята    ");
  EXPECT_EQ(utf8_at(30, 5, 22), "Выход на громкую связь");
  EXPECT_EQ(utf8_at(30, 6, 3), "Нет");
  EXPECT_EQ(text_at(30, 7, 3), "  4");
  EXPECT_EQ(utf8_at(30, 8, 3), "Нет");
  EXPECT_EQ(text_at(30, 9, 3), " 11");
  EXPECT_EQ(utf8_at(30, 10, 3), "Нет");
  EXPECT_EQ(text_at(30, 21, 32), "   5   6   0   0   0   0   0 200");
  EXPECT_EQ(text_at(30, 22, 32), "   1   2   3   4   5   6   7   8");
}

TEST_F(StateViews, SubscriberViewOnHookAndUnnamedCodes) {
  poke(0x0200, {0, 0, 0x15});
  poke(0x0400, {0, 0, 0x3A});
  keys({'2', key::enter});
  keys({0, key::pgdn}, 900);
  keys({0, key::pgdn}, 500);
  keys({key::esc}, 500);
  test::KeySpy spy(&services.keys, [] { return text_at(30, 4, 16) + text_at(30, 5, 22); });
  platform::services().keys = &spy;
  subscriber_view();
  platform::services().keys = &services.keys;
  EXPECT_TRUE(spy.saw("Трубка положена Вызов зан. абонента 1 "_cp));
  EXPECT_EQ(utf8_at(30, 5, 22), "Код  58               ");
}

TEST_F(StateViews, SelectorViewNumbersLinesTwoWays) {
  poke(0x3900, {5, 2, 0x81, 7, 0, 0x30, 0, 0});
  poke(0x3008 + 2 * 256, {3, 26, 0, 24, 0, 0, 0, 0, 0});
  keys({key::esc}, 900);
  selector_view();
  EXPECT_EQ(utf8_at(16, 4, 34), "Отображение работы режима СЕЛЕКТОР");
  EXPECT_EQ(utf8_at(1, 6, 24), "Ведущий режима СЕЛЕКТОР:");
  EXPECT_EQ(utf8_at(16, 14, 34), "  Подключенные к каналу абоненты  ");
  EXPECT_EQ(text_at(32, 6, 3), "A05");
  EXPECT_EQ(text_at(32, 7, 3), "  2");
  // Registered: 0x81 is line 1 (128 + 1); 0x30 names nothing of 24 ports
  // and 4 lines.
  EXPECT_EQ(text_at(32, 8, 23), " L1   A07           ?  ");
  // Connected: 26 is line 2 (24 + 2).
  EXPECT_EQ(text_at(8, 16, 21), "A03    L2         A24");
}

TEST_F(StateViews, SelectorViewReadsOnlyAChannelTheStationHas) {
  poke(0x3900, {5, 200, 0, 0, 0, 0, 0, 0});
  poke(0x3008 + 1 * 256, {3, 0, 0, 0, 0, 0, 0, 0, 0});
  keys({key::esc}, 900);
  selector_view();
  EXPECT_EQ(text_at(32, 7, 3), "200");
  EXPECT_EQ(reads_of((0x3008 + 200 * 256) & 0xFFFF), 0);
  EXPECT_EQ(text_at(8, 16, 48), std::string(48, ' '));
  // A leader without a channel: nothing read but the SELECTOR block.
  block_addresses.clear();
  poke(0x3900, {5, 0});
  keys({key::esc}, 900);
  selector_view();
  EXPECT_EQ(block_addresses, std::vector<int>{0x3900});
  EXPECT_EQ(text_at(32, 7, 3), "   ");
}

TEST_F(StateViews, BoardViewShowsFlagsChannelsAndQueue) {
  poke(0x3A00, {0x91, 0, 0, 0});
  station.poke(0x3A10, 3);
  station.poke(0x3A30, 9);
  poke(0x3A40, {4, 0, 0, 0, 0, 0, 0, 0});
  keys({key::esc}, 400);
  board_view();
  EXPECT_EQ(utf8_at(16, 4, 35), "Отображение работы платы расширения");
  EXPECT_EQ(utf8_at(8, 6, 25), "Состояние устройства:    ");
  EXPECT_EQ(utf8_at(8, 9, 25), "Номер рабочего абонента: ");
  EXPECT_EQ(utf8_at(34, 6, 16), "Программирование");
  EXPECT_EQ(utf8_at(34, 7, 8), "Станция ");
  EXPECT_EQ(text_at(34, 8, 1), " ");
  EXPECT_EQ(text_at(34, 9, 2), "  ");
  EXPECT_EQ(utf8_at(1, 12, 8), "Канал 1:");
  EXPECT_EQ(utf8_at(26, 12, 8), "Канал 2:");
  EXPECT_EQ(utf8_at(10, 12, 12), "Подг. записи");
  EXPECT_EQ(utf8_at(35, 12, 12), "Свободен    ");
  EXPECT_EQ(utf8_at(60, 12, 12), "Код   9     ");
  EXPECT_EQ(utf8_at(1, 16, 14), "Буфер очереди:");
  EXPECT_EQ(text_at(16, 16, 40), "  4    0    0    0    0    0    0    0  ");
}

TEST_F(StateViews, BoardViewWritesOnlyWhatChanged) {
  poke(0x3A00, {0x10, 6, 0, 0});
  poke(0x3A40, {4, 0, 0, 0, 0, 0, 0, 0});
  constexpr int reads_per_round = 5;
  when_block(reads_per_round + 1, [] {
    for (int column : {34, 10, 60}) {
      test::screen().goto_xy(column, column == 34 ? 6 : 12);
      test::screen().write("X");
    }
  });
  when_block(2 * reads_per_round + 1, [&] {
    station.poke(0x3A00, 0x11);  // the input now from the station
    station.poke(0x3A20, 4);
    station.poke(0x3A41, 7);  // a second subscriber waits behind the first
  });
  esc_at_block(4 * reads_per_round);
  board_view();
  EXPECT_EQ(utf8_at(34, 6, 1), "X");
  EXPECT_EQ(utf8_at(10, 12, 1), "X");
  EXPECT_EQ(utf8_at(60, 12, 1), "X");
  EXPECT_EQ(utf8_at(34, 7, 8), "Станция ");
  EXPECT_EQ(utf8_at(34, 8, 1), " ");
  EXPECT_EQ(text_at(34, 9, 2), " 6");
  EXPECT_EQ(utf8_at(35, 12, 12), "Запись      ");
  EXPECT_EQ(text_at(16, 16, 10), "  4    7  ");
}

TEST_F(StateViews, F10ShowsEachViewsHelpTopic) {
  const std::string topics = "#200\nSubscriber and SELECTOR\n#208\nExpansion board\n";
  std::fwrite(topics.data(), 1, topics.size(), help_file);
  test::KeySpy spy(&services.keys, [] {
    std::string all;
    for (int row = 1; row <= 25; ++row) all += text_at(1, row, 80);
    return all;
  });
  platform::services().keys = &spy;
  // The help window empties the key queue as it closes: the Esc that
  // leaves the view comes later.
  keys({'1', key::enter});
  keys({0, key::f10}, 700);
  keys({key::esc}, 500);
  keys({key::esc}, 1000);
  subscriber_view();
  EXPECT_EQ(spy.count("Subscriber and SELECTOR"), 1);
  keys({0, key::f10}, 700);
  keys({key::esc}, 500);
  keys({key::esc}, 1000);
  selector_view();
  EXPECT_EQ(spy.count("Subscriber and SELECTOR"), 2);
  keys({0, key::f10}, 400);
  keys({key::esc}, 300);
  keys({key::esc}, 500);
  board_view();
  EXPECT_EQ(spy.count("Expansion board"), 1);
  platform::services().keys = &services.keys;
}

TEST_F(StateViews, EscLeavesAtThePromptAndFromAFailedReadsBox) {
  keys({key::esc});
  subscriber_view();
  EXPECT_TRUE(block_addresses.empty());
  on_line.failing_blocks.insert(0x3900);
  keys({key::esc}, 900);  // closes the box of the failed read
  selector_view();
  EXPECT_EQ(block_addresses, std::vector<int>{0x3900});
  EXPECT_EQ(services.keys.left(), 0u);
}

// A round that fails costs one box and blanks what it could not read; the
// next round that goes through shows it all again.
TEST_F(StateViews, AFailedRoundCostsOneBoxAndBlanksItsValues) {
  poke(0x0300, {0x12, 0x20, 0x58, 0, 4, 0, 11, 0});
  poke(0x0330, {5, 6, 0, 0, 0, 0, 0, 200});
  const std::string blanks(32, ' ');
  std::string during;
  keys({'3', key::enter});
  when_block(4, [&] {  // round 2: nothing answers right; Enter closes its one box
    on_line.failing_blocks = {0x0300, 0x0330, 0x0350};
    services.keys.add({key::enter});
  });
  when_block(5, [&] {
    during = text_at(1, 25, 16) + text_at(30, 4, 16) + text_at(30, 6, 3) + text_at(30, 21, 32);
    on_line.failing_blocks.clear();
  });
  esc_at_block(7);
  EXPECT_FALSE(test::runs_until_script_ends(subscriber_view));
  EXPECT_EQ(during, std::string(16 + 16 + 3, ' ') + blanks);
  EXPECT_EQ(block_addresses, (std::vector<int>{0x300, 0x330, 0x350, 0x300, 0x300, 0x330, 0x350}));
  EXPECT_EQ(text_at(1, 25, 16), "STAT=12, RGFL=20");
  EXPECT_EQ(text_at(30, 21, 8), "   5   6");

  // The board view's round reads five blocks; a failed one ends it.
  block_addresses.clear();
  blocks_seen = 0;
  at_block.clear();
  poke(0x3A00, {0x91, 6, 0, 0});
  when_block(6, [&] {
    on_line.failing_blocks = {0x3A00};
    services.keys.add({key::enter});
  });
  when_block(7, [&] {
    during = text_at(34, 6, 16) + text_at(34, 9, 2);
    on_line.failing_blocks.clear();
  });
  esc_at_block(11);
  EXPECT_FALSE(test::runs_until_script_ends(board_view));
  EXPECT_EQ(during, std::string(18, ' '));
  EXPECT_EQ(blocks_seen, 11);
  EXPECT_EQ(utf8_at(34, 6, 16), "Программирование");
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(StateViews, EveryViewNeedsAConnectedStation) {
  link_state.station_connected = 0;
  for (void (*view)() : {subscriber_view, selector_view, board_view}) {
    keys({key::enter});
    view();
  }
  EXPECT_TRUE(block_addresses.empty());
  EXPECT_EQ(services.keys.left(), 0u);
}

}  // namespace
