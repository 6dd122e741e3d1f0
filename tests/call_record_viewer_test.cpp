#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "tests/settings_test_support.h"
#include "tests/test_support.h"
#include "tomrik/call_records.h"
#include "tomrik/screens.h"
#include "toolkit/screen.h"

namespace {

namespace fs = std::filesystem;

CallRecord make_record(int subscriber, int line, const char* number, int minute = 0) {
  CallRecord r;
  std::uint8_t* b = r.bytes;
  b[0] = subscriber;
  b[1] = line;
  b[2] = 7;
  b[3] = 12;
  b[4] = 26;
  b[5] = 23;
  b[6] = minute;
  b[7] = 5;
  b[9] = 2;
  b[10] = 30;
  for (int i = 0; number[i] && i < 21; ++i) b[number_first + i] = number[i];
  return r;
}

CallRecord pattern(const char* text) {
  CallRecord f;
  for (int i = 0; text[i]; ++i) f.bytes[number_first + i] = text[i];
  return f;
}

TEST(CallRecords, PatternsMatchTheBeginningOfTheNumber) {
  EXPECT_TRUE(call_record_matches(make_record(1, 1, "80912"), pattern("8?9")));
  EXPECT_TRUE(call_record_matches(make_record(1, 1, "879"), pattern("8?9")));
  EXPECT_FALSE(call_record_matches(make_record(1, 1, "9890"), pattern("8?9")));
  EXPECT_FALSE(call_record_matches(make_record(1, 1, "88"), pattern("8?9")));
  EXPECT_TRUE(call_record_matches(make_record(1, 1, ";5123"), pattern("*5")));
  EXPECT_TRUE(call_record_matches(make_record(1, 1, "<1"), pattern("#")));
  EXPECT_FALSE(call_record_matches(make_record(1, 1, "51"), pattern("*5")));
  CallRecord by_line = pattern("");
  by_line.bytes[1] = 2;
  EXPECT_FALSE(call_record_matches(make_record(1, 1, "1"), by_line));
  by_line.bytes[0] = 3;
  EXPECT_TRUE(call_record_matches(make_record(3, 2, "1"), by_line));
}

struct Viewer : ::testing::Test {
  platform::TestServices services;
  fs::path old_dir = fs::current_path();
  fs::path dir;
  void SetUp() override {
    use_program(tomrik_program);
    // A directory per test: a file the viewer left open (the script ended
    // inside it) cannot be removed on every system.
    static int serial = 0;
    dir = fs::temp_directory_path() / ("viewer_test_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
    fs::create_directories(dir);
    fs::current_path(dir);
    reset_run_state();
    link_state.subscriber_count = 16;
    link_state.city_line_count = 4;
  }
  void TearDown() override {
    fs::current_path(old_dir);
    std::error_code ec;
    fs::remove_all(dir, ec);
    reset_run_state();
  }
  void write_records(const std::vector<CallRecord>& records) {
    std::ofstream f("tarif.dat", std::ios::binary);
    for (const CallRecord& r : records) f.write(reinterpret_cast<const char*>(r.bytes), call_record_size);
  }
  void keys(std::initializer_list<int> k) { services.keys.add(k); }
  void accept_filter() { keys({key::enter, key::enter, key::enter}); }
  std::string row_text(int row) { return test::text_at(8, row + 7, 69); }
  static std::string read_file(const char* name) {
    std::ifstream f(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
};

TEST_F(Viewer, MissingFileShowsItsBoxAndReturns) {
  accept_filter();
  keys({'x'});
  call_record_viewer();
  EXPECT_EQ(services.keys.left(), 0u);
  // The box was taken away again; the frame is what remains.
  EXPECT_EQ(test::text_at(22, 12, 10), std::string(10, ' '));
  EXPECT_EQ(test::utf8_at(3, 5, 1), "╔");
}

TEST_F(Viewer, RowsShowSubscriberNumbersDatesTimesAndTheStoredNumber) {
  write_records({make_record(1, 2, ";5<8", 7), make_record(9, 1, "123")});
  accept_filter();
  EXPECT_TRUE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_EQ(test::text_at(8, 8, 2), "11");
  EXPECT_EQ(test::text_at(17, 8, 2), " 2");
  EXPECT_EQ(test::text_at(23, 8, 8), "07-12-26");
  EXPECT_EQ(test::text_at(34, 8, 8), "23:07:05");
  EXPECT_EQ(test::text_at(45, 8, 8), "00:02:30");
  EXPECT_EQ(test::text_at(56, 8, 5), "*5#8 ");
  EXPECT_EQ(test::text_at(8, 9, 2), "19");
  EXPECT_EQ(row_text(3), std::string(69, ' ').replace(5, 1, "\xB3").replace(13, 1, "\xB3").replace(24, 1, "\xB3").replace(35, 1, "\xB3").replace(46, 1, "\xB3"));
  EXPECT_EQ(test::utf8_at(46, 2, 5), " Все ");
}

// The number column shows what the record holds: ";" and "<" as "*" and
// "#", 0 and control bytes as blanks, any other byte as stored. The report
// keeps to the dialled characters.
TEST_F(Viewer, TheNumberColumnShowsPrintableBytesAsStored) {
  write_records({make_record(1, 2, "8A/1\x07;<x\x80")});
  accept_filter();
  keys({0, key::f9, 'n', key::enter});
  accept_filter();
  EXPECT_TRUE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_EQ(test::text_at(56, 8, 10), "8A/1 *#x\x80 ");
  EXPECT_NE(read_file("n").find("  81*#\r\n"), std::string::npos);
}

// Every number of a garbled record fills its two places or shows blank:
// the frame between the columns stays whole.
TEST_F(Viewer, ValuesThatDoNotFitTheirColumnsShowBlank) {
  CallRecord r = make_record(95, 150, "1");
  r.bytes[2] = 200;
  r.bytes[6] = 123;
  r.bytes[9] = 100;
  write_records({r, make_record(1, 1, "2")});
  accept_filter();
  EXPECT_TRUE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_EQ(row_text(1), std::string("     \xB3       \xB3   -12-26 \xB3 23:  :05 \xB3 00:  :30 \xB3 1") + std::string(20, ' '));
  EXPECT_EQ(test::text_at(8, 9, 2), "11");
}

TEST_F(Viewer, FiltersNarrowTheListAndStayUntilTheViewerIsLeftWhileBrowsing) {
  write_records({make_record(1, 1, "8091"), make_record(2, 1, "8191"), make_record(2, 3, "9890"),
                 make_record(2, 1, "8290")});
  // Subscriber 12 (code 2), line 1, pattern 8?9.
  keys({key::space, key::space, key::enter, key::space, key::enter, '8', '?', '9', key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_EQ(test::text_at(46, 2, 5), "  12 ");
  EXPECT_EQ(test::text_at(34, 4, 4), "8?9 ");
  EXPECT_EQ(test::text_at(56, 8, 4), "8191");
  EXPECT_EQ(test::text_at(56, 9, 4), "8290");
  EXPECT_EQ(test::text_at(56, 10, 4), "    ");

  keys({key::esc});  // Esc at the first field leaves the filter as it was
  call_record_viewer();
  EXPECT_EQ(record_filter.bytes[0], 2);
  accept_filter();
  keys({key::esc});
  call_record_viewer();
  EXPECT_EQ(record_filter.bytes[0], 0);
  EXPECT_EQ(record_filter.bytes[number_first], 0);
}

TEST_F(Viewer, PatternEditingInsertsDeletesAndMoves) {
  write_records({});
  keys({key::enter, key::enter, '1', '2', 0, key::left, 0, key::left, '3', 0, key::del, 0, key::right, 'x', '#',
        key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record_filter.bytes + number_first)), "32#");
}

TEST_F(Viewer, SeventeenRecordsScrollByOneEachWay) {
  std::vector<CallRecord> records;
  for (int i = 0; i < 17; ++i) records.push_back(make_record(1 + i % 16, 1, "5", i));
  write_records(records);
  accept_filter();
  keys({0, key::down});
  EXPECT_TRUE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_EQ(test::text_at(34, 8, 8), "23:01:05");  // row 1 now holds record 2
  EXPECT_EQ(test::text_at(34, 23, 8), "23:16:05");  // row 16 holds record 17
  EXPECT_EQ(test::screen().cursor_y(), 23);

  accept_filter();
  keys({0, key::down});
  for (int i = 0; i < 15; ++i) keys({0, key::up});
  keys({0, key::up, 0, key::up});  // row 1, then scroll back, then nothing more above
  EXPECT_TRUE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_EQ(test::text_at(34, 8, 8), "23:00:05");
  EXPECT_EQ(test::screen().cursor_y(), 8);
}

TEST_F(Viewer, EmptyFileGivesAnEmptyTableAndAReportOfHeadersOnly) {
  write_records({});
  accept_filter();
  keys({0, key::down, 0, key::up, 0, key::f9});
  keys({'r', 'e', 'p', '.', 't', 'x', 't', key::enter});
  accept_filter();
  keys({key::esc});
  call_record_viewer();
  EXPECT_EQ(row_text(1).substr(0, 2), "  ");
  std::string report = read_file("rep.txt");
  EXPECT_EQ(report, "\r\n" + std::string("          Информация о разговорах абонента: Все   по линии: Все"_cp) +
                        "\r\n\r\n" + "   Абонент   Линия     Дата      Время   Длительн  Номер телефона"_cp +
                        "\r\n\r\n\r\n");
}

TEST_F(Viewer, ReportListsTheMatchingRecordsAndAppends) {
  write_records({make_record(1, 2, ";5<8", 7), make_record(3, 1, "99")});
  keys({key::space, key::enter, key::enter, key::enter, 0, key::f9});
  keys({'r', '.', 't', key::enter});
  accept_filter();
  keys({0, key::f9, 'r', '.', 't', key::enter});
  accept_filter();
  keys({key::esc});
  call_record_viewer();
  std::string report = read_file("r.t");
  const std::string line = "     11         2    07-12-26  23:07:05  00:02:30  *5#8\r\n";
  EXPECT_NE(report.find("абонента: 11   по линии: Все"_cp), std::string::npos);
  ASSERT_NE(report.find(line), std::string::npos);
  EXPECT_NE(report.find(line, report.find(line) + 1), std::string::npos);  // appended twice
  EXPECT_EQ(report.find("99"), std::string::npos);
}

// The name is one word: a blank after it ends it, a blank before it is
// passed over.
TEST_F(Viewer, TheReportNameIsOneWord) {
  write_records({make_record(1, 1, "1")});
  accept_filter();
  keys({0, key::f9, ' ', 'a', 'b', ' ', 'c'});  // "c" falls to the filter, which ignores it
  accept_filter();
  keys({key::esc});
  EXPECT_FALSE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_TRUE(fs::exists("ab"));
  EXPECT_FALSE(fs::exists("abc"));
}

TEST_F(Viewer, ATariffFileThatCannotBeReadShowsTheErrorBox) {
  fs::create_directory("tarif.dat");
  test::KeySpy spy{&services.keys, [] { return test::utf8_at(20, 12, 40); }};
  platform::services().keys = &spy;
  accept_filter();
  keys({'x'});
  call_record_viewer();
  platform::services().keys = &services.keys;
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_TRUE(spy.saw("Ошибка открытия файла тарификации!"));
  EXPECT_EQ(test::text_at(22, 12, 10), std::string(10, ' '));
}

TEST_F(Viewer, ReportNameThatCannotBeOpenedIsAskedAgainAndEscGivesUp) {
  write_records({make_record(1, 1, "1")});
  fs::create_directory("taken");
  accept_filter();
  keys({0, key::f9, 't', 'a', 'k', 'e', 'n', key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(call_record_viewer));
  EXPECT_EQ(test::utf8_at(33, 4, 22), "Ошибка открытия файла!");

  accept_filter();
  keys({0, key::f9, 't', 'a', 'k', 'e', 'n', key::enter, 'k', key::esc});
  accept_filter();
  keys({key::esc});
  call_record_viewer();
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(test::text_at(33, 4, 22), std::string(22, ' '));
  EXPECT_TRUE(fs::is_directory("taken"));
}

}  // namespace
