// The station software version screen: three records of the station, each
// shown as characters after its caption.
#include <string>

#include "facts/tomrik_records.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "tomrik/screens.h"
#include "toolkit/screen.h"

namespace {

struct VersionLine {
  int group;
  int length;
  const char* caption;
};

// The record's data bytes as characters. A record that could not be read,
// or is shorter than its line, shows blanks where it has no bytes, and
// bytes the console would take as cursor moves show as blanks too.
std::string record_text(const int* record, bool read_ok, int length) {
  std::string text(length, ' ');
  if (!read_ok) return text;
  int n = record[0] < length ? record[0] : length;
  for (int i = 0; i < n; ++i) {
    auto c = static_cast<unsigned char>(record[1 + i] & 0xFF);
    if (c != '\r' && c != '\n' && c != '\b' && c != '\a') text[i] = static_cast<char>(c);
  }
  return text;
}

}  // namespace

void software_version_screen() {
  static const VersionLine lines[3] = {
      {facts::tomrik_group::software_version, 8, "Версия програмного обеспечения:         "_cp},
      {facts::tomrik_group::software_date, 8, "Дата создания програмного обеспечения:  "_cp},
      {facts::tomrik_group::software_time, 6, "Время создания програмного обеспечения:   "_cp},
  };
  static int record[256];
  draw_box(15, 11, 50, 3);
  for (int k = 0; k < 3; ++k) {
    record[0] = 0;
    bool ok = link_read_record_alike(record, lines[k].group, 1) == link_ok;
    goto_xy(17, 12 + k);
    set_colour(COLOR_BOX);
    put_text(lines[k].caption);
    put_text(record_text(record, ok, lines[k].length));
  }
  read_key();
  set_colour(COLOR_SCREEN);
}
