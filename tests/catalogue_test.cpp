// The catalogue of each model's configuration: every byte of an image held
// once, each setting's line told by its own bytes only, and its value as the
// screens show it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "karvel/call_handling_pages.h"
#include "karvel/catalogue.h"
#include "karvel/city_lines.h"
#include "karvel/internal_ports.h"
#include "karvel/screens.h"
#include "karvel/station_settings.h"
#include "sim/karvel_station.h"
#include "tests/karvel_image_fixture.h"
#include "tests/test_support.h"
#include "tests/station_fixtures.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"

namespace {

// Each byte once: in the spans of one setting, or in one raw region.
void expect_every_byte_once(const Catalogue& catalogue, int size) {
  std::vector<int> holders(size, 0);
  for (const Setting& s : catalogue.settings())
    for (const ImageSpan& span : s.spans)
      for (int i = span.offset; i < span.offset + span.size; ++i) ++holders[i];
  for (const RawRegion& region : catalogue.raw_regions())
    for (int i = region.offset; i < region.offset + region.size; ++i) ++holders[i];
  for (int i = 0; i < size; ++i) ASSERT_EQ(holders[i], 1) << "image byte " << i;
}

std::vector<std::string> listing_lines(const Configuration& c) {
  const Catalogue catalogue = catalogue_of(c);
  std::vector<std::string> lines;
  for (const Setting& s : catalogue.settings()) lines.push_back(s.section + " / " + s.label + ":" + s.value);
  return lines;
}

bool holds(const std::vector<ImageSpan>& spans, int offset) {
  return std::any_of(spans.begin(), spans.end(),
                     [&](const ImageSpan& s) { return offset >= s.offset && offset < s.offset + s.size; });
}

// The names (section and label, up to the value) of the settings whose
// line a byte tells: those that hold it and those whose value shows it.
std::set<std::string> names_told_by(const Catalogue& catalogue, int offset) {
  std::set<std::string> told;
  for (const Setting& s : catalogue.settings())
    if (holds(s.spans, offset) || holds(s.reads, offset)) told.insert(s.section + " / " + s.label + ":");
  return told;
}

// One setting of each kind of row: a name with its numbers taken out names
// the same row of another port, line, group or table. Of a long table of
// rows alike (the protection levels) the first twenty stand for it.
std::vector<const Setting*> one_of_each_row(const Catalogue& catalogue) {
  auto without_digits = [](std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }), text.end());
    return text;
  };
  std::set<std::string> seen;
  std::map<std::string, int> per_section;
  std::vector<const Setting*> sample;
  for (const Setting& s : catalogue.settings()) {
    const std::string section = without_digits(s.section);
    if (seen.insert(section + "/" + without_digits(s.label)).second && ++per_section[section] <= 20) sample.push_back(&s);
  }
  return sample;
}

// Changing any byte a setting holds changes that setting's line and no
// other, but for settings whose value shows it too; the bytes that shape
// the catalogue (the identity, and those it names) are left out.
std::string utf8_lines(const std::set<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "{" + cp866::to_utf8(line) + "}";
  return text;
}

void expect_lines_follow_bytes(Configuration c, const std::set<int>& shaping) {
  const Catalogue catalogue = catalogue_of(c);
  const std::vector<std::string> before = listing_lines(c);
  for (const Setting* s : one_of_each_row(catalogue)) {
    for (const ImageSpan& span : s->spans) {
      // Within a longer run every place is alike: its ends and its middle.
      std::set<int> offsets;
      for (int place : {0, span.size / 2, span.size - 1}) offsets.insert(span.offset + place);
      if (span.size <= 8)
        for (int place = 0; place < span.size; ++place) offsets.insert(span.offset + place);
      for (int offset : offsets) {
        if (shaping.count(offset)) continue;
        c.image[offset] ^= 0x01;
        const std::vector<std::string> after = listing_lines(c);
        c.image[offset] ^= 0x01;
        ASSERT_EQ(after.size(), before.size());
        std::set<std::string> changed;
        for (std::size_t i = 0; i < before.size(); ++i)
          if (before[i] != after[i]) changed.insert(before[i].substr(0, before[i].find(':') + 1));
        const std::set<std::string> told = names_told_by(catalogue, offset);
        ASSERT_TRUE(changed == told) << "image byte " << offset << ": " << utf8_lines(changed) << " changed, "
                                     << utf8_lines(told) << " expected";
      }
    }
  }
}

Configuration karvel_configuration(const std::vector<std::uint8_t>& image) { return {&karvel_catalogue, image, {}}; }

// A station as installed, with a value of every kind that is not 0.
std::vector<std::uint8_t> karvel_sample_image() {
  std::vector<std::uint8_t> image = sim::KarvelStation().image();
  auto at = [&](int address) -> std::uint8_t& { return image[address - 0x8000]; };
  at(0x8024) = 2;                                    // the mode: the third name
  at(0x8025) = 7;                                    // a counter, shown only
  at(0x8028) = 1;                                    // announcer board fitted
  at(0x802B) = 1;                                    // DTMF units on the bus
  const std::uint8_t code[4] = {11, 3, 10, 12};      // "*30#"
  std::copy(code, code + 4, &at(0x802C));
  at(0x8032) = 0x34, at(0x8033) = 0x12;              // 4660, shown only
  const int port5 = 0x8500, line1 = 0x8000 + 256 * 33;
  at(port5 + 0x01) = 200;                            // priority
  at(line1 + 0x02) = 1, at(line1 + 0x05) = 2;        // tone dialling, music
  at(line1 + 0x0E) = 0x90, at(line1 + 0x0F) = 0x01;  // 400 x 5 ms
  at(0xB580 + 7) = 12;                               // number 107 is port 12
  at(0x8040 + 4) = 9, at(0x8040 + 8) = 5;            // ports 5 and 9 exchanged
  at(0xF000 + 0x200) = 1;                            // dial control of group 1 on
  return image;
}

TEST(KarvelCatalogue, HoldsEveryByteOnce) {
  const Catalogue catalogue = catalogue_of(karvel_configuration(karvel_sample_image()));
  EXPECT_EQ(catalogue.left_out(), 0);
  expect_every_byte_once(catalogue, 0x8000);
  // An identity from a garbled file lays 99 ports and 9 lines over the
  // other tables: still every byte once, the first setting keeping it.
  std::vector<std::uint8_t> garbled(0x8000);
  for (std::size_t i = 0; i < garbled.size(); ++i) garbled[i] = static_cast<std::uint8_t>(i * 37 + i / 256);
  std::memcpy(garbled.data(), "KAR999-9", 8);
  garbled[0x1F] = 90;
  const Catalogue over = catalogue_of(karvel_configuration(garbled));
  EXPECT_GT(over.left_out(), 0);
  expect_every_byte_once(over, 0x8000);
}

TEST(KarvelCatalogue, EachByteChangesItsOwnLineOnly) {
  std::set<int> shaping{0x1F};
  for (int i = 0; i < 8; ++i) shaping.insert(i);
  expect_lines_follow_bytes(karvel_configuration(karvel_sample_image()), shaping);
}

// The listed value of a setting, in UTF-8.
std::string value_in(const Catalogue& catalogue, const std::string& section, const std::string& label) {
  for (const Setting& s : catalogue.settings())
    if (cp866::to_utf8(s.section) == section && cp866::to_utf8(s.label) == label) return cp866::to_utf8(s.value);
  ADD_FAILURE() << "no setting " << section << " / " << label;
  return "";
}

// The screen's text of a cell, without the blanks around it.
std::string cell(int column, int row, int width) {
  std::string text = test::utf8_at(column, row, width);
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// Cells of a row joined as the listing joins a record's values.
std::string cells(std::initializer_list<int> columns, int row, int width, const std::vector<std::string>& headings = {}) {
  std::string text;
  int i = 0;
  for (int column : columns) {
    text += (i ? ", " : "") + (headings.empty() ? "" : headings[i] + ": ") + cell(column, row, width);
    ++i;
  }
  return text;
}

// Values read off the screens, opened on the same image in file mode.
struct KarvelCatalogueScreens : test::KarvelImageTest {
  std::vector<std::uint8_t> sample = karvel_sample_image();
  Catalogue catalogue{0};

  void SetUp() override {
    KarvelImageTest::SetUp();
    std::copy(sample.begin(), sample.end(), settings_image.karvel);
    take_karvel_identity(settings_image.karvel);
    catalogue = catalogue_of(karvel_configuration(sample));
  }
  std::string value(const std::string& section, const std::string& label) { return value_in(catalogue, section, label); }
  // Runs the screen until it waits for a key the script does not have.
  void open(const std::function<void()>& screen, std::initializer_list<int> moves = {}) {
    clear_screen();
    services.keys = platform::ScriptedKeys(&services.clock);
    keys(moves);
    EXPECT_TRUE(test::runs_until_script_ends(screen));
  }
};

TEST_F(KarvelCatalogueScreens, ValuesReadAsTheScreensShowThem) {
  open(show_identity_page);
  EXPECT_EQ(value("Идентификационный номер", "Идентификационный номер станции"), cell(45, 4, 8));
  EXPECT_EQ(value("Идентификационный номер", "Время создания программного обеспечения"), cell(45, 7, 5));

  open(edit_general_settings);
  const std::string general = "Общестанционные установки";
  EXPECT_EQ(value(general, "Макс. колличество звонящих телефонов в 1 интервале"), cell(60, 4, 4));
  EXPECT_EQ(value(general, "Режим функционирования станции"), cell(60, 8, 8));
  EXPECT_EQ(value(general, "Счетчик инициализации городских линий"), cell(60, 9, 4));
  EXPECT_EQ(value(general, "Подключение платы автоинформатора"), cell(60, 12, 4));
  EXPECT_EQ(value(general, "Скорость обмена по COM порту"), cell(60, 13, 5) + " Бод.");
  EXPECT_EQ(value(general, "Подключение DTMF приемников/передатчиков"), cell(60, 15, 5));
  EXPECT_EQ(value(general, "Код соединения с громкоговорящей связью"), cell(60, 16, 4));
  EXPECT_EQ(value(general, "Длительность воспроизведения сообщения"), cell(60, 17, 5) + " * 5 Мс.");

  open(edit_hardware_numbers);
  EXPECT_EQ(value("Аппаратные номера абонентов", "Порт 5"), cell(22, 11, 3));
  open(edit_logical_numbers);
  EXPECT_EQ(value("Программные номера абонентов", "Номер 107"), cell(15, 11, 2));

  port_editor.current = 5;
  open(edit_port_main);
  EXPECT_EQ(value("Порт 5 / Основные установки", "Разрешение на обслуживание порта"), cell(60, 4, 4));
  EXPECT_EQ(value("Порт 5 / Основные установки", "Установка уровня приоритета порта"), cell(60, 5, 4));
  open(edit_port_call_groups);
  std::string members;
  for (int c = 0; c < 16; ++c)
    if (std::string m = cell(9 + 4 * c, 7, 2); !m.empty()) members += (members.empty() ? "" : ", ") + m;
  EXPECT_EQ(value("Порт 5 / Группы общего вызова", "Группа общего вызова 1"), members);
  open(edit_port_variants);
  EXPECT_EQ(value("Порт 5 / Режимы функционирования", "Разреш. выхода на линию 3, режим 2"), cell(46, 12, 4));

  line_editor.current = 1;
  open(edit_line_main);
  const std::string line = "Линия 1 / Основные установки";
  EXPECT_EQ(value(line, "Выбор типа набора номера в линию"), cell(60, 6, 12));
  EXPECT_EQ(value(line, "Звуковой сигнал при DISA дозвоне"), cell(60, 9, 8));
  EXPECT_EQ(value(line, "Время задержки выдачи сообщения"), cell(60, 18, 5) + " * 5Мс");

  open(edit_exit_groups);
  const std::string exits = "Группа выхода 1 / Таблица разрешений выхода в город";
  EXPECT_EQ(value(exits, "Код 9, линия 2"), cell(13, 10, 1));
  EXPECT_EQ(value(exits, "Код 9, Доп"), cell(33, 10, 4));
  EXPECT_EQ(value(exits, "Код 8, Марш"), cell(40, 9, 4));
  open(edit_exit_groups, {0, key::f2});
  EXPECT_EQ(value("Группа выхода 1 / Таблица контроля набора 1", "Контроль"), cell(13, 22, 9));

  open(station_phone_book);
  EXPECT_EQ(value("Общая записная книжка", "Ячейка 5"), cell(30, 11, 32));
}

// ------------------------------------------------------------------ tomrik

Configuration tomrik_configuration(const std::vector<std::uint8_t>& image) { return {&tomrik_catalogue, image, {}}; }

TEST(TomrikCatalogue, HoldsEveryByteOnceAndEachByteChangesItsOwnLineOnly) {
  const Configuration installed = tomrik_configuration(sim::TomrikStation().image());
  const Catalogue catalogue = catalogue_of(installed);
  EXPECT_EQ(catalogue.left_out(), 0);
  expect_every_byte_once(catalogue, 2048);
  std::vector<std::uint8_t> garbled(2048);
  for (std::size_t i = 0; i < garbled.size(); ++i) garbled[i] = static_cast<std::uint8_t>(i * 37 + i / 256);
  std::memcpy(garbled.data(), "T999", 4);  // 9 lines and 99 subscribers: the rows hold 4 and 16
  expect_every_byte_once(catalogue_of(tomrik_configuration(garbled)), 2048);
  expect_lines_follow_bytes(installed, {0, 1, 2, 3});
}

// Values read off the screens, run on the station that holds the image.
struct TomrikCatalogueScreens : test::TomrikStationTest {
  Catalogue catalogue{0};
  void SetUp() override {
    TomrikStationTest::SetUp();
    rec(23, 2) = {2};         // subscriber 12 searches from line 2
    rec(25, 3) = {4};         // a flash of 400-500 ms
    rec(19, 1) = {3, 0, 0, 0};  // line 1's group 2 rings 3 s later by day
    rec(8, 1) = {1, 5, 0, 0};
    catalogue = catalogue_of(tomrik_configuration(on_line.station.image()));
  }
  std::string value(const std::string& section, const std::string& label) { return value_in(catalogue, section, label); }
  void open(const std::function<void()>& screen) {
    clear_screen();
    services.keys = platform::ScriptedKeys(&services.clock);
    EXPECT_TRUE(test::runs_until_script_ends(screen));
  }
};

TEST_F(TomrikCatalogueScreens, ValuesReadAsTheScreensShowThem) {
  open(city_lines_screen);
  const std::string line2 = "Установки городских линий / Линия 2";
  EXPECT_EQ(value(line2, "Режим набора"), cell(40, 9, 10));
  EXPECT_EQ(value(line2, "Пауза после доп. циф"), cell(40, 12, 10));
  EXPECT_EQ(value(line2, "Код межгорода"), cell(40, 13, 4));
  EXPECT_EQ(value(line2, "Сигнал при DISA"), cell(40, 15, 6));
  EXPECT_EQ(value(line2, "Время разрыва линии"), cell(40, 19, 9));

  open([] { call_distribution_screen(1); });
  const std::string day = "Распределение вызовов из города днем / Линия 1";
  EXPECT_EQ(value(day, "Группа 1"), cells({51, 59, 67, 75}, 8, 3));
  EXPECT_EQ(value(day, "Группа 2, Задержка"), cell(43, 9, 1));

  open([] { subscriber_settings_screen(1); });
  const std::string page = "Установки внутренних абонентов 1";
  EXPECT_EQ(value(page + " / Абонент 11", "Разр. вмешат."), cell(13, 7, 3));
  EXPECT_EQ(value(page + " / Абонент 12", "Лин. нач. поиска"), cell(46, 8, 10));
  EXPECT_EQ(value(page + " / Абонент 11", "Горячая линия"), cell(58, 7, 9));
  EXPECT_EQ(value(page + " / Абонент 13", "Длитеьн. ФЛЭШ (Мс)"), cell(71, 9, 8));
  EXPECT_EQ(value(page, "Разрешение переключения режимов День/Ночь"), cell(44, 24, 23));

  open([] { permission_table_screen(28); });
  EXPECT_EQ(value("Разрешения выхода в межгород днем", "Абонент 12"),
            cells({16, 34, 52, 70}, 9, 3, {"Линия 1", "Линия 2", "Линия 3", "Линия 4"}));
  open(tariffing_modes_screen);
  EXPECT_EQ(value("Режимы тарификации абонентов", "Абонент 11"),
            cells({26, 60}, 8, 5, {"Междугородние разговоры", "Городские разговоры"}));

  open(pickup_groups_screen);
  EXPECT_EQ(value("Группы перехвата", "Группа 2"), cells({26, 38, 50, 62}, 12, 3));

  open([] { number_control_screen(1); });
  EXPECT_EQ(value("Контроль запрещенных номеров / Линия 3", "Строка 2"), cell(52, 9, 4));
  open(command8_paths_screen);
  EXPECT_EQ(value("Пути выхода в город по команде 8 / Строка 3", "Код набора после команды 8"), cell(15, 10, 4));
  EXPECT_EQ(value("Пути выхода в город по команде 8 / Строка 3", "Выход на линию 4"), cell(74, 10, 1));
}

}  // namespace
