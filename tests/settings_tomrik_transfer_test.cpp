// The tomrik transfers against the simulated station: where each record
// lands in the image, the order of the records, the bar marks, the identity
// check, and records that fail. Also the software version screen.
#include <algorithm>

#include "settings/program_profile.h"
#include "settings/settings_commands.h"
#include "settings/tomrik_companion.h"
#include "sim/tomrik_station.h"
#include "tests/settings_test_support.h"
#include "tests/sim_on_line.h"
#include "tomrik/screens.h"

namespace {

namespace fs = std::filesystem;
using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;
using Record = std::pair<int, int>;

// Cells filled with "▓" (sending or reading) or "█" (comparing a send).
int filled_marks() {
  int n = 0;
  for (int c = 34; c <= 76; ++c) n += test::screen().cell(c, 4).ch == 178 || test::screen().cell(c, 4).ch == 219;
  return n;
}

// Notes the bar at every pause, so the fill at the end can be seen before
// the result text covers the line.
class PauseSpy : public platform::Clock {
 public:
  explicit PauseSpy(platform::VirtualClock& clock) : clock_(clock) {}
  std::uint64_t now_ms() override { return clock_.now_ms(); }
  void sleep_ms(int ms) override {
    marks.push_back(filled_marks());
    clock_.sleep_ms(ms);
  }
  std::vector<int> marks;

 private:
  platform::VirtualClock& clock_;
};

std::vector<std::uint8_t> record_value(int group, int index, int size) {
  std::vector<std::uint8_t> v;
  for (int k = 0; k < size; ++k) v.push_back(static_cast<std::uint8_t>(group * 31 + index * 7 + k + 1));
  return v;
}

struct TomrikTransfer : test::SettingsFixture {
  test::KeySpy spy{&services.keys, [] { return utf8_at(34, 4, 43); }};
  PauseSpy pauses{services.clock};
  test::StationOnLine<sim::TomrikStation> on_line;
  test::StationOnLine<sim::TomrikStation>* station = &on_line;

  void SetUp() override {
    SettingsFixture::SetUp();
    use_program(tomrik_program);
    platform::services().keys = &spy;
    platform::services().clock = &pauses;
    on_line.plug_in();
    // Every record the station has, 8 bytes each; the image takes what its
    // table gives the record.
    for (int g = 1; g <= 0x13; ++g)
      for (int i = 1; i <= 12; ++i) put(g, i, record_value(g, i, 8));
    for (int g = 0x14; g <= 0x22; ++g)
      for (int s = 1; s <= 16; ++s) put(g, s, record_value(g, s, 8));
    for (int k = 1; k <= 8; ++k) put(0x28, k, record_value(0x28, k, 8));
    for (int k = 1; k <= 6; ++k) put(0x29, k, record_value(0x29, k, 8));
    for (int k = 0; k <= 127; ++k) put(0x0E, k, record_value(0x0E, k, 8));
    for (int k = 0; k <= 15; ++k) put(0x0F, k, record_value(0x0F, k, 8));
    for (int g = 0x81; g <= 0x83; ++g) put(g, 1, record_value(g, 1, 1));
    set_identity("T416");
    link_state.station_connected = 1;
  }
  void put(int group, int index, const Bytes& bytes) {
    on_line.station.set_record(static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(index), bytes);
  }
  // The record's bytes as the station holds them (none for a record it
  // does not have).
  Bytes rec(int group, int index) const {
    const Bytes* bytes = on_line.station.record(static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(index));
    return bytes ? *bytes : Bytes{};
  }
  void set_identity(const char* id) {
    put(0x80, 1, std::vector<std::uint8_t>(id, id + 4));
    std::copy(id, id + 4, link_state.station_identity);
    link_state.city_line_count = id[1] - '0';
    link_state.subscriber_count = 10 * (id[2] - '0') + (id[3] - '0');
  }
  void choose(const std::string& name) {
    type(name);
    keys({key::enter});
  }
  // A key that is not pressed before a result asks for it: the transfers
  // read Esc between records.
  void later(int k) { services.keys.add({k}, 1000000); }
  int marks() const { return filled_marks(); }
  int most_marks() const { return pauses.marks.empty() ? 0 : *std::max_element(pauses.marks.begin(), pauses.marks.end()); }
  bool saw(const std::string& text) const { return spy.saw(text); }
  // The image bytes of a record as the table places them.
  static void expect_at(const std::vector<std::uint8_t>& image, int offset, int group, int index, int size) {
    auto v = record_value(group, index, size);
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + offset, image.begin() + offset + size), v)
        << "record " << group << "," << index;
  }
};

TEST_F(TomrikTransfer, StationToFilePlacesEachRecordAsTheTableSays) {
  choose("t");
  keys({'y'});
  later(key::esc);
  station_to_file();
  auto image = read_file("t.set");
  ASSERT_EQ(image.size(), 2048u);
  EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "T416");
  expect_at(image, 0x010, 0x81, 1, 1);
  expect_at(image, 0x030, 0x83, 1, 1);
  expect_at(image, 0x083, 0x01, 4, 1);
  expect_at(image, 0x0B1, 0x0D, 2, 1);   // pauses: line, line + 4, line + 8
  expect_at(image, 0x0D1, 0x0D, 6, 1);
  expect_at(image, 0x113, 0x0D, 12, 1);
  expect_at(image, 0x0C4, 0x05, 2, 4);
  expect_at(image, 0x1AC, 0x13, 4, 4);
  expect_at(image, 0x200, 0x14, 1, 1);
  expect_at(image, 0x2EF, 0x22, 16, 1);
  expect_at(image, 0x390, 0x28, 8, 4);
  expect_at(image, 0x3A0, 0x29, 1, 4);
  expect_at(image, 0x3E0, 0x29, 5, 8);
  expect_at(image, 0x3F0, 0x29, 6, 8);
  expect_at(image, 0x400, 0x0E, 0, 4);
  expect_at(image, 0x5FC, 0x0E, 127, 4);
  expect_at(image, 0x678, 0x0F, 15, 8);
  // Bytes beyond a record's share stay zero: the 4-byte record (0x29, 1)
  // leaves 0x3A4.., and nothing lies between the rows of the table.
  EXPECT_EQ(image[0x3A4], 0);
  EXPECT_EQ(image[0x011], 0);
  EXPECT_EQ(image[0x1B0], 0);
  EXPECT_EQ(image[0x680], 0);
  EXPECT_TRUE(saw("Установки записаны в файл"));
}

TEST_F(TomrikTransfer, RecordsGoInTheirOrderAndTheBarGetsItsMarks) {
  int marks_at_last_record = -1;
  std::uint64_t slept_before_fill = 0;
  station->on_record = [&](int group, int index) {
    if (group == 0x0F && index == 15) {
      marks_at_last_record = marks();
      slept_before_fill = services.clock.slept();
    }
  };
  choose("t");
  keys({0xAD});  // "н", the y key in the Russian layout
  later(key::esc);
  station_to_file();
  // Each record is read twice in a row, the two reads alike.
  using P = std::pair<int, int>;
  const auto& reads = station->records_read;
  ASSERT_EQ(reads.size() % 2, 0u);
  std::vector<P> r;
  for (std::size_t i = 0; i < reads.size(); i += 2) {
    EXPECT_EQ(reads[i], reads[i + 1]);
    r.push_back(reads[i]);
  }
  ASSERT_EQ(r.size(), 4u + 19 * 4 + 15 * 16 + 8 + 6 + 128 + 16);
  EXPECT_EQ(std::vector<P>(r.begin(), r.begin() + 10),
            (std::vector<P>{{0x80, 1}, {0x81, 1}, {0x82, 1}, {0x83, 1}, {0x01, 1}, {0x04, 1}, {0x02, 1}, {0x0D, 1}, {0x05, 1}, {0x0D, 5}}));
  EXPECT_EQ(r[13], (P{0x0D, 9}));
  EXPECT_EQ(r[4 + 19], (P{0x01, 2}));
  EXPECT_EQ(r.back(), (P{0x0F, 15}));
  // 1 + 4 + 4 + 8 + 6 + 11 + 4 marks; the fill adds the rest, 100 ms each.
  EXPECT_EQ(marks_at_last_record, 38);
  EXPECT_EQ(most_marks(), 43);
  EXPECT_EQ(pauses.marks.back(), 43);
  EXPECT_EQ(services.clock.slept() - slept_before_fill, 500u);
}

TEST_F(TomrikTransfer, AStationClaimingMoreThanTheImageHoldsIsCutToItsRows) {
  set_identity("T999");
  link_state.city_line_count = 9;
  link_state.subscriber_count = 99;
  choose("t");
  keys({'y'});
  later(key::esc);
  station_to_file();
  for (auto& rec : station->records_read) {
    if (rec.first >= 0x01 && rec.first <= 0x13 && rec.first != 0x0D && rec.first != 0x0E && rec.first != 0x0F) {
      EXPECT_LE(rec.second, 4);
    }
    if (rec.first >= 0x14 && rec.first <= 0x22) {
      EXPECT_LE(rec.second, 16);
    }
  }
  EXPECT_EQ(most_marks(), 43);
}

// Only a record the station sends with fewer bytes than its share, or with
// none, leaves zeros. A record that cannot be read, a phone book cell like
// any other, keeps the file and the image as they were, with a text that
// says the link failed.
TEST_F(TomrikTransfer, OnlyARecordReadShortStaysZeroAFailedOneKeepsTheFile) {
  put(0x0E, 5, {});      // a cell the station has left empty
  put(0x0F, 2, {0x44});  // shorter than its share
  choose("t");
  keys({'y'});
  later(key::esc);
  station_to_file();
  auto image = read_file("t.set");
  ASSERT_EQ(image.size(), 2048u);
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 0x414, image.begin() + 0x418), std::vector<std::uint8_t>(4, 0));
  expect_at(image, 0x418, 0x0E, 6, 4);
  EXPECT_EQ(image[0x610], 0x44);
  EXPECT_EQ(image[0x611], 0);
  const std::vector<std::uint8_t> image_before(settings_image.tomrik, settings_image.tomrik + 2048);
  EXPECT_EQ(image_before, image);

  for (Record failing : {Record{0x0E, 6}, Record{0x0F, 3}, Record{0x09, 3}}) {
    SCOPED_TRACE(testing::Message() << "record " << failing.first << "," << failing.second);
    write_file("keep.set", {5});
    station->failing_records = {failing};
    station->records_read.clear();
    choose("keep");
    keys({'y'});
    later(key::esc);
    station_to_file();
    EXPECT_EQ(read_file("keep.set"), std::vector<std::uint8_t>{5});
    EXPECT_EQ(std::vector<std::uint8_t>(settings_image.tomrik, settings_image.tomrik + 2048), image_before);
    // Tried four times, and the transfer ends there.
    EXPECT_EQ(std::count(station->records_read.begin(), station->records_read.end(), failing), 4);
    EXPECT_EQ(station->records_read.back(), failing);
    EXPECT_TRUE(saw("         Ошибка связи со станцией          "));
    EXPECT_FALSE(saw("прерван"));
  }
}

TEST_F(TomrikTransfer, FileToStationWritesTheRecordsFromTheFileButNotTheIdentity) {
  // A file read from this station, then changed in one subscriber value.
  choose("t");
  keys({'y'});
  later(key::enter);
  choose("t");
  keys({'y'});
  later(key::esc);
  station_to_file();
  auto image = read_file("t.set");
  image[0x200 + 16 * 3 + 5] = 0x99;  // (0x17, 6)
  write_file("t.set", image);
  // The station forgets its values: what it holds after the transfer came
  // from the file.
  for (const facts::TomrikImageRow& row : facts::tomrik_image_rows(4, 16))
    if (row.group != 0x80) put(row.group, row.index, {});
  std::uint64_t slept = services.clock.slept();
  pauses.marks.clear();
  choose("t");
  keys({'y'});
  later(key::esc);
  file_to_station();
  auto& w = station->records_written;
  ASSERT_EQ(w.size(), 3u + 19 * 4 + 15 * 16 + 8 + 6 + 128 + 16);
  EXPECT_EQ(w[0], (std::pair<int, int>{0x81, 1}));
  EXPECT_EQ(rec(0x17, 6), Bytes{0x99});
  EXPECT_EQ(rec(0x29, 5), record_value(0x29, 5, 8));
  EXPECT_EQ(rec(0x28, 5), record_value(0x28, 5, 4));
  EXPECT_EQ(rec(0x0D, 7), record_value(0x0D, 7, 1));
  // Pauses after the station values: 500 + 500 + 100 ms, then the fill.
  EXPECT_EQ(services.clock.slept() - slept, 1000u + 1100u + 500u);
  EXPECT_TRUE(saw("Установки загружены в станцию"));
  // The station values come first, and their mark after the last pause.
  ASSERT_GE(pauses.marks.size(), 4u);
  EXPECT_EQ(std::vector<int>(pauses.marks.begin() + 1, pauses.marks.begin() + 4), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(pauses.marks.back(), 43);
}

// A write whose name arrives damaged, with check bytes that still agree,
// lands on a record already sent and read back: the comparison after the
// send finds it and writes it again.
TEST_F(TomrikTransfer, ARecordWrittenOverByAMisroutedWriteIsFoundAndWrittenAgain) {
  Bytes file(2048, 0);
  std::copy_n("T416", 4, file.begin());
  for (int i = 0x10; i < 2048; ++i) file[i] = static_cast<std::uint8_t>(i * 5 + 1);
  write_file("t.set", file);
  bool misrouted = false;
  station->redirect = [&](sim::FrameName& f) {
    if (f.command == facts::tomrik_write_record && f.group == 0x14 && f.index == 3 && !misrouted) {
      f.index = 2;
      misrouted = true;
    }
  };
  choose("t");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_TRUE(misrouted);
  EXPECT_EQ(rec(0x14, 2)[0], file[0x201]);
  EXPECT_EQ(rec(0x14, 3)[0], file[0x202]);
  EXPECT_EQ(std::count(station->records_written.begin(), station->records_written.end(), Record{0x14, 2}), 2);
  EXPECT_TRUE(saw("Установки загружены в станцию"));
  EXPECT_FALSE(saw("не полностью"));
}

TEST_F(TomrikTransfer, AFileForAnotherConfigurationIsRefused) {
  std::vector<std::uint8_t> image(2048, 0);
  std::copy_n("T417", 4, image.begin());
  write_file("other.set", image);
  std::copy_n("T416", 4, image.begin());
  write_file("short.set", std::vector<std::uint8_t>(image.begin(), image.begin() + 100));
  write_file("long.set", std::vector<std::uint8_t>(32768, '4'));
  // A station that gave no identity matches no file, not even a blank one.
  write_file("blank.set", std::vector<std::uint8_t>(2048, 0));
  for (const char* name : {"other", "short", "long"}) {
    choose(name);
    keys({'y', 'x'});
  }
  keys({key::esc});
  file_to_station();
  std::fill_n(link_state.station_identity, 4, 0);
  choose("blank");
  keys({'y', key::esc});
  file_to_station();
  // The refusal stands at the start of the line, not centred.
  EXPECT_EQ(spy.count("Файл не подходит конфигурации станции      "), 4);
  EXPECT_TRUE(station->records_written.empty());
}

TEST_F(TomrikTransfer, OpenFailuresAreShownInTheBoxColour) {
  fs::create_directory("d.set");
  choose("d");
  keys({'y', 'x', key::esc});
  file_to_station();
  choose("d");
  keys({'y', 'x'});
  station_to_file();
  EXPECT_EQ(spy.count("Ошибка открытия файла!"), 2);
  EXPECT_TRUE(station->records_written.empty());
  EXPECT_TRUE(station->records_read.empty());
}

// The tomrik transfers on a line that misbehaves.
struct TomrikTransferFaults : TomrikTransfer {
  int faults_played = 0;
  std::size_t sent_before_silence = 0;
  void SetUp() override {
    TomrikTransfer::SetUp();
    on_line.line().fault_log = [this](const std::string&) { ++faults_played; };
  }
  platform::LoopbackSerialPort& port() { return dynamic_cast<platform::LoopbackSerialPort&>(link_port()); }
  // The station stops answering when the frame of this record starts.
  void silent_from(Record record) {
    station->on_record = [this, record](int group, int index) {
      if (Record{group, index} != record) return;
      port().attach(nullptr);
      sent_before_silence = port().record.sent.size();
    };
  }
  int bytes_since_silence(int byte) {
    const auto& sent = port().record.sent;
    return static_cast<int>(std::count(sent.begin() + static_cast<std::ptrdiff_t>(sent_before_silence), sent.end(), byte));
  }
};

TEST_F(TomrikTransferFaults, ALineThatLosesAnswersNowAndThenStillMovesEverything) {
  choose("clean");
  keys({'y'});
  later(key::esc);
  station_to_file();
  sim::FaultPlan plan;
  plan.drop = 1.0 / 2000;
  plan.seed = 5;
  on_line.line().set_faults(plan);
  choose("lossy");
  keys({'y'});
  later(key::esc);
  station_to_file();
  EXPECT_GE(faults_played, 1);
  auto clean = read_file("clean.set");
  ASSERT_EQ(clean.size(), 2048u);
  EXPECT_EQ(read_file("lossy.set"), clean);

  // And back: a changed file arrives whole.
  int faults_before = faults_played;
  clean[0x200 + 16 * 3 + 5] ^= 0x5A;  // (0x17, 6)
  clean[0x5FC] ^= 0x5A;               // (0x0E, 127)
  write_file("changed.set", clean);
  choose("changed");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_GE(faults_played, faults_before + 1);
  EXPECT_EQ(on_line.station.image(), clean);
  EXPECT_TRUE(saw("Установки загружены в станцию"));
  EXPECT_FALSE(saw("не полностью"));
}

TEST_F(TomrikTransferFaults, EscStopsASendAndTheResultSaysItIsPartial) {
  choose("t");
  keys({'y'});
  later(key::esc);
  station_to_file();
  station->on_record = [&](int group, int index) {
    if (group == 0x14 && index == 3) services.keys.add({key::esc, key::esc});
  };
  choose("t");
  keys({'y'});
  file_to_station();
  EXPECT_EQ(station->records_written.back(), (Record{0x14, 3}));
  EXPECT_TRUE(saw("Установки загружены в станцию не полностью"));
}

// Esc pressed while the station is frozen in the middle of a record's
// synchronisation ends the transfer within half a second.
TEST_F(TomrikTransferFaults, EscStopsAReadFromASilentStationWithinHalfASecond) {
  write_file("keep.set", {7});
  std::uint64_t esc_due = 0, result_shown = 0;
  station->on_record = [&](int group, int index) {
    if (Record{group, index} != Record{0x05, 2} || esc_due) return;
    port().attach(nullptr);
    sent_before_silence = port().record.sent.size();
    esc_due = services.clock.now_ms() + 700;
    services.keys.add({key::esc}, 700);
    later(key::esc);
  };
  test::KeySpy timing{&services.keys, [&] {
                        std::string line = utf8_at(34, 4, 43);
                        if (!result_shown && line.find("прерван") != std::string::npos)
                          result_shown = services.clock.now_ms();
                        return line;
                      }};
  platform::services().keys = &timing;
  choose("keep");
  keys({'y'});
  station_to_file();
  EXPECT_EQ(timing.count(" Процесс записи установок в файл прерван "), 1);
  EXPECT_EQ(read_file("keep.set"), std::vector<std::uint8_t>{7});
  ASSERT_GT(result_shown, esc_due);
  EXPECT_LE(result_shown - esc_due, 500u);
  // Not one whole try of thirteen synchronisation attempts went out after.
  EXPECT_LT(bytes_since_silence(0xAA), 13);
}

// A station that goes silent while a file is sent: the send ends after two
// records that failed every try, and says it is partial. Records show no box.
TEST_F(TomrikTransferFaults, AStationThatGoesSilentEndsTheSend) {
  choose("t");
  keys({'y'});
  later(key::esc);
  station_to_file();
  silent_from({0x20, 1});
  choose("t");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_TRUE(saw("Установки загружены в станцию не полностью"));
  // Three more tries of (0x20, 1), four of the next, thirteen attempts each.
  EXPECT_EQ(bytes_since_silence(0xA5), 7 * 13);
}

// The phone books a complete backup keeps beside the settings file.
struct QuietWatch : TransferWatch {
  void unit_done(int, int) override {}
};

TEST_F(TomrikTransfer, PhoneBooksAndTheSpecialCellGoBackWholeIntoTheStation) {
  Bytes number = {8, 255, 4, 9, 5, 116, 1, 12};
  Bytes first_half(24, 3), second_half(24, 0);
  second_half[0] = 7;
  put(50 + 3, 7, number);
  put(67, 0, first_half);
  put(68, 0, second_half);
  QuietWatch watch;
  TomrikCompanion books;
  ASSERT_TRUE(read_books_from_station(books, watch).whole());
  EXPECT_EQ(books.records.size(), 17u * 16 + 2);
  // A file holds them as they came, and gives them back the same.
  TomrikCompanion loaded;
  ASSERT_TRUE(decode_tomrik_companion(encode_tomrik_companion(books), loaded));
  put(50 + 3, 7, Bytes(25, 0));
  put(67, 0, Bytes(24, 0));
  put(68, 0, Bytes(24, 0));
  ASSERT_TRUE(write_books_to_station(loaded, watch).whole());
  Bytes stored = rec(50 + 3, 7);
  stored.resize(number.size());
  EXPECT_EQ(stored, number);
  EXPECT_EQ(rec(67, 0), first_half);
  EXPECT_EQ(rec(68, 0), second_half);
  // Books of another station are refused before anything is sent.
  loaded.identity[3] = '2';
  station->records_written.clear();
  EXPECT_EQ(write_books_to_station(loaded, watch).end, TransferEnd::not_suitable);
  EXPECT_TRUE(station->records_written.empty());
}

TEST(TomrikCompanionFile, AnythingButACompleteFileIsRefused) {
  TomrikCompanion books;
  books.identity = {'T', '4', '1', '6'};
  books.records = {{50, 1, Bytes(25, 1)}, {66, 16, {2, 3}}, {67, 0, Bytes(24, 4)}};
  Bytes good = encode_tomrik_companion(books);
  TomrikCompanion out;
  ASSERT_TRUE(decode_tomrik_companion(good, out));
  EXPECT_EQ(out.records.size(), 3u);
  EXPECT_EQ(out.records[1].data, Bytes({2, 3}));
  auto changed = [&](std::size_t at, std::uint8_t value) {
    Bytes bad = good;
    bad[at] = value;
    return bad;
  };
  auto file_of = [&](std::vector<TomrikBookRecord> records) {
    return encode_tomrik_companion({books.identity, std::move(records)});
  };
  Bytes trailing = good;
  trailing.push_back(0);
  const std::vector<Bytes> refused = {
      Bytes(good.begin(), good.end() - 1),     // the last record cut short
      Bytes(good.begin(), good.begin() + 14),  // the header cut short
      trailing,
      changed(0, 'X'),   // no such file
      changed(8, 2),     // another format
      changed(14, 4),    // more records than there are
      changed(15, 49),   // a group that is no phone book
      file_of({books.records[1], books.records[1]}),
      file_of({{67, 1, {}}}),             // the special cell has index 0 only
      file_of({{50, 17, {}}}),            // a book has 16 cells
      file_of({{67 - 1, 0, {}}}),         // and no cell 0
      file_of({{50, 1, Bytes(26, 1)}}),   // a cell holds 25 codes
      file_of({{68, 0, Bytes(25, 1)}}),   // a half of the special cell 24
  };
  for (std::size_t i = 0; i < refused.size(); ++i)
    EXPECT_FALSE(decode_tomrik_companion(refused[i], out)) << "case " << i;
}

struct VersionScreen : TomrikTransfer {};

TEST_F(VersionScreen, ShowsTheThreeRecordsAfterTheirCaptions) {
  put(132, 1, {'3', '.', '1', '2', ' ', 'r', 'c', '1'});
  put(133, 1, {'0', '1', '.', '0', '3', '.', '0', '6'});
  put(134, 1, {'1', '2', ':', '3', '0', '\n'});
  keys({'x'});
  software_version_screen();
  EXPECT_EQ(utf8_at(17, 12, 48), "Версия програмного обеспечения:         3.12 rc1");
  EXPECT_EQ(utf8_at(17, 13, 48), "Дата создания програмного обеспечения:  01.03.06");
  EXPECT_EQ(utf8_at(17, 14, 48), "Время создания програмного обеспечения:   12:30 ");
  EXPECT_EQ(test::colour_at(60, 12), 0x70);
  EXPECT_EQ(utf8_at(15, 11, 1), "┌");
  EXPECT_EQ(utf8_at(66, 15, 1), "┘");
}

TEST_F(VersionScreen, AFailedOrShortRecordShowsBlanksNotOldBytes) {
  put(132, 1, {'3', '.', '1', '2', '.', '0', '0', '1'});
  put(133, 1, {'x', 'y'});
  station->failing_records = {{134, 1}};
  keys({'x'});
  software_version_screen();
  EXPECT_EQ(utf8_at(57, 13, 8), "xy      ");
  EXPECT_EQ(utf8_at(59, 14, 6), "      ");
}

}  // namespace
