// Station-wide and internal port pages of karvel, run with scripted keys on
// a loaded settings image (file mode).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "karvel/internal_ports.h"
#include "karvel/parameter_names.h"
#include "karvel/screens.h"
#include "karvel/station_settings.h"
#include "link/link.h"
#include "settings/settings_image.h"
#include "tests/karvel_image_fixture.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace {

using test::image;

// Notes access_pending each time a key is read: outside an editor it must
// be 0, and inside one the check has used it up before any key is read.
struct PendingSpy : platform::KeyInput {
  platform::KeyInput* keys;
  std::vector<int> seen;
  explicit PendingSpy(platform::KeyInput* k) : keys(k) { platform::services().keys = this; }
  ~PendingSpy() override { platform::services().keys = keys; }
  bool waiting() override { return keys->waiting(); }
  std::uint8_t read() override {
    seen.push_back(access_pending);
    return keys->read();
  }
};

// Notes what a screen row shows each time the program waits.
struct SleepSpy : platform::Clock {
  platform::VirtualClock& inner;
  std::function<std::string()> snapshot;
  std::vector<std::string> seen;
  SleepSpy(platform::VirtualClock& c, std::function<std::string()> s) : inner(c), snapshot(std::move(s)) {
    platform::services().clock = this;
  }
  ~SleepSpy() override { platform::services().clock = &inner; }
  std::uint64_t now_ms() override { return inner.now_ms(); }
  void sleep_ms(int ms) override {
    seen.push_back(snapshot());
    inner.sleep_ms(ms);
  }
};

struct KarvelPages : test::KarvelImageTest {
  void SetUp() override {
    KarvelImageTest::SetUp();
    std::memcpy(&image(0x8080), "DAY     NIGHT   WEEKEND HOLIDAY ", 32);
    for (int p = 1; p <= 48; ++p) image(0x8040 + p - 1) = p;
  }
  void downs(int n) {
    for (int i = 0; i < n; ++i) keys({0, key::down});
  }
};

TEST_F(KarvelPages, MenuOffersFiveItemsWithTheSwappedLabels) {
  keys({0, key::up});
  EXPECT_TRUE(test::runs_until_script_ends(station_settings_menu));
  EXPECT_EQ(test::utf8_at(20, 2, 27), "  Общестанционные установки");
  EXPECT_EQ(test::utf8_at(29, 14, 30), "5.Программные номера абонентов");
  EXPECT_EQ(test::utf8_at(29, 15, 30), "4.Коды доступа програмирования");
  EXPECT_TRUE(test::span_has_colour(29, 15, 30, 0x2E));  // Up from 1 wraps to 5
  EXPECT_TRUE(test::span_has_colour(29, 11, 30, 0x70));
  keys({key::esc});
  station_settings_menu();
  EXPECT_EQ(services.keys.left(), 0u);
}

// Insert and the two service letters, in either case, show the four
// service bytes while the page waits; a wrong key between them does not.
TEST_F(KarvelPages, TheIdentityPageShowsTheServiceBytesOnlyForTheWholeSequence) {
  const unsigned char service[4] = {0x12, 0xAB, 0x05, 0xFF};
  std::memcpy(&image(0x80E4), service, 4);
  SleepSpy spy(services.clock, [] { return test::text_at(1, 25, 11); });
  keys({0, key::insert, 's', 'V', 0, key::insert, 'S', 'x', 'V', 'S', 'V', key::esc});
  show_identity_page();
  EXPECT_EQ(spy.seen, (std::vector<std::string>{"12,AB, 5,FF"}));
  EXPECT_EQ(test::text_at(1, 25, 11), std::string(11, ' '));
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(KarvelPages, GeneralPageShowsValuesAndSelectsTheModeByName) {
  image(0x8020) = 8;
  image(0x8024) = 1;
  image(0x8029) = 3;
  downs(4);
  keys({key::enter, key::space});
  EXPECT_TRUE(test::runs_until_script_ends(edit_general_settings));
  EXPECT_EQ(test::utf8_at(4, 4, 8), "a/Макс. ");
  EXPECT_EQ(test::text_at(60, 4, 4), "   8");
  EXPECT_EQ(test::text_at(60, 13, 5), "57600");
  EXPECT_EQ(test::text_at(60, 8, 8), "WEEKEND ");  // 1 + Space = mode 2, not yet written
  EXPECT_TRUE(test::span_has_colour(60, 8, 8, 0x70));
  EXPECT_EQ(image(0x8024), 1);

  downs(4);
  keys({key::enter, key::space, key::space, key::space, key::esc, key::esc});
  edit_general_settings();
  EXPECT_EQ(image(0x8024), 1);
  EXPECT_EQ(test::text_at(60, 8, 8), "NIGHT   ");
  EXPECT_TRUE(test::span_has_colour(60, 8, 8, 0x1E));

  downs(4);
  keys({key::enter, key::space, key::space, key::space, key::enter, key::esc});
  edit_general_settings();
  EXPECT_EQ(image(0x8024), 0);
  EXPECT_EQ(test::text_at(60, 8, 8), "DAY     ");
}

TEST_F(KarvelPages, GeneralPageLimitsAndReadOnlyRows) {
  image(0x8025) = 3;
  keys({key::enter, '4', '0', '3', '2', key::enter});  // row 1: 40 > 32 blanks, then 32
  downs(5);
  keys({key::enter, '9', key::enter});  // row 6 is read only: Enter does nothing
  keys({key::esc});
  edit_general_settings();
  EXPECT_EQ(image(0x8020), 32);
  EXPECT_EQ(image(0x8025), 3);
  EXPECT_EQ(test::text_at(60, 9, 4), "   3");
}

TEST_F(KarvelPages, HardwareNumbersStayPairwiseExchanges) {
  link_state.port_count = 20;
  auto set_port = [&](int p, const char* typed) {
    int column = (p - 1) / 16, row = (p - 1) % 16;
    services.keys = platform::ScriptedKeys(&services.clock);
    for (int i = 0; i < column; ++i) keys({0, key::right});
    for (int i = 0; i < row; ++i) keys({0, key::down});
    keys({key::enter});
    for (const char* c = typed; *c; ++c) keys({*c});
    keys({key::enter, key::esc});
    edit_hardware_numbers();
  };
  set_port(5, "209");
  EXPECT_EQ(image(0x8044), 9);
  EXPECT_EQ(image(0x8048), 5);
  EXPECT_EQ(test::text_at(22, 15, 3), "205");  // port 9's cell was redrawn
  set_port(5, "205");
  EXPECT_EQ(image(0x8044), 5);
  EXPECT_EQ(image(0x8048), 9);

  image(0x8048) = 12;  // port 9 no longer holds its own number
  image(0x804B) = 9;
  set_port(5, "209");
  EXPECT_EQ(image(0x8044), 5);
  EXPECT_EQ(image(0x8048), 12);
}

TEST_F(KarvelPages, HardwarePageShowsOnlyThePortsTheStationHas) {
  link_state.port_count = 20;
  keys({key::esc});
  edit_hardware_numbers();
  EXPECT_EQ(test::text_at(41, 10, 3), "220");  // port 20
  EXPECT_EQ(test::text_at(41, 11, 3), "   ");  // port 21
  EXPECT_EQ(test::utf8_at(10, 4, 1), "╔");
  EXPECT_EQ(test::utf8_at(28, 4, 1), "╦");
  EXPECT_EQ(test::utf8_at(47, 6, 1), "╫");
  EXPECT_EQ(test::utf8_at(65, 23, 1), "╝");
  EXPECT_EQ(test::text_at(11, 7, 10), "   1 .....");  // column 10 is the frame

  services.keys = platform::ScriptedKeys(&services.clock);
  keys({0, key::right});
  downs(4);
  keys({key::enter, '2', '0', '1', key::enter, key::esc});
  edit_hardware_numbers();
  EXPECT_EQ(image(0x8040 + 20), 21);
}

TEST_F(KarvelPages, LogicalNumbersTakePortsUpToTheCount) {
  keys({0, key::right, 0, key::down, key::enter, '2', '4', key::enter, key::esc});
  edit_logical_numbers();
  EXPECT_EQ(image(0xB580 + 21), 24);
  EXPECT_EQ(test::text_at(29, 5, 2), "24");
  EXPECT_EQ(test::text_at(7, 4, 6), "100 ..");
  EXPECT_EQ(test::utf8_at(19, 2, 1), "╤");
}

TEST_F(KarvelPages, AccessCodesAreStoredHighByteFirstAndReadBack) {
  keys({0, key::down, key::enter, '7', '0', '0', '0', '0', key::enter, key::esc});
  edit_access_codes();
  EXPECT_EQ(image(0x80F2), 17);
  EXPECT_EQ(image(0x80F3), 112);
  EXPECT_EQ(link_state.access_code_table[2], 4464);
  EXPECT_EQ(test::utf8_at(30, 10, 21), "Код доступа 2 -  4464");

  // With code 7 set, the page asks for it and refuses a wrong one.
  link_state.access_code_table[7] = 55;
  keys({'5', '4', key::enter});
  edit_access_codes();
  EXPECT_EQ(test::utf8_at(20, 12, 42), "  Неверный код доступа к програмированию  ");
  EXPECT_TRUE(test::span_has_colour(20, 11, 42, 0x47));
}

TEST_F(KarvelPages, AWrongCodeForTheAccessCodesPageGetsOnlyThePagesOwnMessage) {
  link_state.access_code_table[7] = 55;
  SleepSpy spy(services.clock, [] { return test::utf8_at(20, 12, 42) + "|" + test::utf8_at(27, 15, 24); });
  keys({'5', '4', key::enter});
  edit_access_codes();
  ASSERT_EQ(spy.seen.size(), 1u);  // one message, one wait
  EXPECT_EQ(spy.seen[0], "  Неверный код доступа к програмированию  |" + std::string(24, ' '));
  EXPECT_EQ(services.clock.slept(), 1500u);
  EXPECT_EQ(access_pending, 0);
}

TEST_F(KarvelPages, AModeAboveThreeIsShownAndKeptAsStored) {
  std::memcpy(&image(0x80A8), "ODDMODE5", 8);  // the name place of mode 5
  image(0x8024) = 5;
  keys({key::esc});
  edit_general_settings();
  EXPECT_EQ(test::text_at(60, 8, 8), "ODDMODE5");

  // Enter at once writes the stored mode back.
  downs(4);
  keys({key::enter, key::enter, key::esc});
  edit_general_settings();
  EXPECT_EQ(image(0x8024), 5);
  EXPECT_EQ(test::text_at(60, 8, 8), "ODDMODE5");

  // Space steps to 6 AND 3 = 2.
  downs(4);
  keys({key::enter, key::space});
  EXPECT_TRUE(test::runs_until_script_ends(edit_general_settings));
  EXPECT_EQ(test::text_at(60, 8, 8), "WEEKEND ");
  EXPECT_EQ(image(0x8024), 5);

  // F4 edits the name of the stored mode.
  services.keys = platform::ScriptedKeys(&services.clock);
  downs(4);
  keys({0, key::f4, 'X', key::enter, key::esc});
  edit_general_settings();
  EXPECT_EQ(image(0x80A8), 'X');
  EXPECT_EQ(image(0x80A9), 'O');
}

// Every way out of an editor, written, left, refused or never started,
// leaves no level behind for the next one.
TEST_F(KarvelPages, AnAccessLevelNeverOutlivesItsEditor) {
  link_state.access_code_table[3] = 1234;
  for (int parameter : {80, 92, 93, 190}) image(0xED00 + parameter) = 3;
  image(0x8024) = 5;
  PendingSpy spy(&services.keys);

  downs(4);
  keys({0, key::f4, '1', '1', key::enter});  // the mode's name: a wrong code
  // The prompt empties the key queue when it closes: what follows is typed
  // after it. Row 15 is not protected: its value goes in at once.
  services.keys.add({0, key::down}, 100);
  for (int i = 0; i < 9; ++i) keys({0, key::down});
  keys({key::enter, '3', '0', key::enter});
  for (int i = 0; i < 14; ++i) keys({0, key::up});  // row 1, protected
  keys({key::enter, '7', key::enter});
  services.keys.add({0, key::down}, 2000);  // after the refusal box's wait
  for (int i = 0; i < 3; ++i) keys({0, key::down});
  keys({key::enter, '7', key::enter});  // the mode: refused, the page is left
  edit_general_settings();
  EXPECT_EQ(image(0x8034), 30);
  EXPECT_EQ(image(0x8020), 0);
  EXPECT_EQ(image(0x8024), 5);
  EXPECT_EQ(image(0x80A8), 0);

  keys({key::enter, '7', '7', key::enter});  // a logical number: refused
  // The first Esc ends the refusal box and is not kept; the second leaves.
  services.keys.add({key::esc, key::esc}, 100);
  edit_logical_numbers();
  EXPECT_EQ(image(0xB580), 0);

  link_state.access_code_table[7] = 4321;
  keys({'5', key::enter});  // the access codes page: refused
  edit_access_codes();

  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(access_pending, 0);
  EXPECT_EQ(std::count(spy.seen.begin(), spy.seen.end(), 0), static_cast<long>(spy.seen.size()));
}

TEST_F(KarvelPages, TypedNumbersShowTheirHintBeforeTheCodeIsAsked) {
  link_state.access_code_table[3] = 1234;
  image(0xED00 + 92) = 3;
  keys({key::enter});  // row 1: the code prompt waits
  EXPECT_TRUE(test::runs_until_script_ends(edit_general_settings));
  EXPECT_EQ(test::utf8_at(1, 25, 5), "Цифры");
  EXPECT_EQ(test::utf8_at(27, 14, 20), "Введите код доступа:");
}

TEST_F(KarvelPages, LogicalNumbersPageShowsNoHintLines) {
  keys({key::enter, '2', key::enter, key::esc});
  edit_logical_numbers();
  EXPECT_EQ(image(0xB580), 2);
  EXPECT_EQ(test::text_at(1, 1, 20), std::string(20, ' '));
  EXPECT_EQ(test::text_at(60, 1, 21), std::string(21, ' '));
  // Only the editor's own hint is left on the bottom row.
  EXPECT_EQ(test::utf8_at(1, 25, 5), "Цифры");
  keys({key::esc});
  edit_logical_numbers();
  EXPECT_EQ(test::text_at(1, 25, 80), std::string(80, ' '));
}

TEST_F(KarvelPages, ProtectionLevelsPageByBlocks) {
  image(0xED00 + 17) = 3;
  keys({0, key::pgup, 0, key::pgdn, key::enter, '9', '5', key::enter, key::esc});
  edit_protection_levels();
  EXPECT_EQ(test::text_at(40, 2, 7), "nblk= 1");
  EXPECT_EQ(image(0xED00 + 17), 5);  // 9 > 7 blanked, then 5
  EXPECT_EQ(test::text_at(4, 4, 50), parameter_names(17));
  EXPECT_EQ(test::text_at(60, 4, 4), "   5");
}

TEST_F(KarvelPages, PortPromptAndPortSwitchingStayWithinTheCount) {
  link_state.port_count = 16;
  keys({'1', '7'});
  EXPECT_TRUE(test::runs_until_script_ends([] { ask_port_number(); }));
  EXPECT_EQ(test::text_at(51, 14, 3), "   ");  // window position (47, 12)
  EXPECT_EQ(port_switch_keys(16, key::pgdn), 16);
  EXPECT_EQ(port_switch_keys(16, key::end), 16);
  EXPECT_EQ(port_switch_keys(16, key::home), 1);
  EXPECT_EQ(port_switch_keys(1, key::pgup), 1);
  EXPECT_EQ(port_switch_keys(7, key::pgup), 6);
  keys({'1', '2', key::enter});
  EXPECT_EQ(port_switch_keys(7, key::f9), 12);
  keys({key::esc});
  EXPECT_EQ(port_switch_keys(7, key::f9), 7);
  EXPECT_EQ(port_editor.page_item, 1);
}

TEST_F(KarvelPages, PortPagesEditTheChosenPortsBlock) {
  // Port 3, main page, row 2 (priority) := 200; then PgDn to port 4, row 2 := 9.
  // The port prompt empties the key queue when it closes: what follows is
  // typed after it.
  keys({'3', key::enter});
  services.keys.add({key::enter, 0, key::down, key::enter, '2', '0', '0', key::enter, 0, key::pgdn,
        key::enter, '9', key::enter, key::esc, key::esc}, 100);
  services.keys.add({key::esc}, 100);
  internal_port_editor();
  EXPECT_EQ(image(0x8300 + 1), 200);
  EXPECT_EQ(image(0x8400 + 1), 9);
}

TEST_F(KarvelPages, RedirectionNeverPointsAtItselfNorAtAPortThatRedirects) {
  port_editor.current = 3;
  auto redirect_to = [&](const char* typed) {
    services.keys = platform::ScriptedKeys(&services.clock);
    downs(3);
    keys({key::enter});
    for (const char* c = typed; *c; ++c) keys({*c});
    keys({key::enter, key::esc});
    edit_port_main();
  };
  redirect_to("3");
  EXPECT_EQ(image(0x8303), 0);
  image(0x8503) = 7;
  redirect_to("5");
  EXPECT_EQ(image(0x8303), 0);
  image(0x8503) = 0;
  redirect_to("5");
  EXPECT_EQ(image(0x8303), 5);
  EXPECT_EQ(test::text_at(60, 7, 4), "   5");
}

TEST_F(KarvelPages, PulseLimitsAndDottedRows) {
  port_editor.current = 2;
  image(0x8200 + 0x1B) = 44;
  keys({key::enter, '1', key::enter, '2', key::enter});
  downs(11);
  keys({key::enter, '5', key::enter, key::esc});
  edit_port_pulse();
  EXPECT_EQ(image(0x8210), 2);
  EXPECT_EQ(image(0x8200 + 0x1B), 44);
  EXPECT_EQ(test::text_at(60, 15, 4), "  44");
  EXPECT_EQ(test::text_at(5, 15, 4), "l/..");
}

}  // namespace
