#include "settings/melody_screen.h"

#include <algorithm>
#include <string>

#include "editors/field_editors.h"
#include "platform/cp866.h"
#include "settings/catalogue.h"
#include "toolkit/hints.h"

namespace {

constexpr ScreenPos melody_label_at{10, 8};
constexpr ScreenPos volume_label_at{10, 11};
constexpr ScreenPos melody_number_at{35, 8};
constexpr ScreenPos melody_name_at{40, 8};
constexpr ScreenPos volume_bar_at{40, 11};

std::string melody_number(int melody) { return format("%2d.", melody + 1); }

// What one visit works with.
struct MelodyScreen {
  const MelodyScreenLook& look;
  MelodyStation& station;
  MelodyNameFile names;
  bool failed = false;  // a read or write ended the screen

  bool end_screen() {
    failed = true;
    return false;
  }
  // The start of a choice: the value to choose from, or false with the
  // screen going on (`goes_on`) or ending.
  bool value_to_choose(MelodyItem item, int& byte, bool& goes_on) {
    ValueRead stored = station.read(item);
    byte = stored.byte;
    goes_on = stored.result == ValueRead::none || (stored.result == ValueRead::end ? end_screen() : true);
    return stored.result == ValueRead::value;
  }

  // Double lines at rows 6 and 14 between columns 1 and 80, and a single
  // box around the volume bar; drawn a line at a time, as both programs'
  // toolkits draw lines alike.
  void draw_layout() {
    clear_screen();
    set_colour(COLOR_SCREEN);
    for (int row : {6, 14}) draw_frame(2, row, 79, row, boxch::d_horizontal);
    for (int column : {1, 80}) draw_frame(column, 7, column, 13, boxch::d_vertical);
    put_at(1, 6, boxch::d_top_left);
    put_at(80, 6, boxch::d_top_right);
    put_at(1, 14, boxch::d_bottom_left);
    put_at(80, 14, boxch::d_bottom_right);
    for (int row : {10, 12}) draw_frame(39, row, 56, row, boxch::horizontal);
    put_at(38, 10, boxch::top_left);
    put_at(57, 10, boxch::top_right);
    put_at(38, 11, boxch::vertical);
    put_at(57, 11, boxch::vertical);
    put_at(38, 12, boxch::bottom_left);
    put_at(57, 12, boxch::bottom_right);
    print_at(look.title_at, look.title, COLOR_SCREEN);
  }

  void draw_labels(MelodyItem selected, bool highlighted = true) {
    print_at(melody_label_at, look.melody_label,
             highlighted && selected == MelodyItem::melody ? COLOR_BOX : COLOR_SCREEN);
    print_at(volume_label_at, melody_volume_label,
             highlighted && selected == MelodyItem::volume ? COLOR_BOX : COLOR_SCREEN);
  }

  // A melody the station names outside 0..11 shows blank: there is no name
  // for it.
  void draw_melody(int melody, std::uint8_t number_colour, std::uint8_t name_colour) {
    const bool known = melody_known(melody);
    print_at(melody_number_at, known ? melody_number(melody) : std::string(3, ' '), number_colour);
    print_at(melody_name_at, known ? names.shown(melody) : std::string(MelodyNameFile::slot_size, ' '),
             name_colour);
  }

  // 16 line characters with a marker at the level.
  void draw_volume(int level, std::uint8_t colour) {
    print_at(volume_bar_at, std::string(loudest_volume + 1, look.bar_line), colour);
    print_at(volume_bar_at.column + level, volume_bar_at.row, std::string(1, look.bar_marker), colour);
  }

  void help(int topic) {
    if (look.help) look.help->show(topic);
  }

  // The station's value of an item, drawn in the screen colour. False when
  // the screen ends.
  bool show_stored(MelodyItem item) {
    ValueRead stored = station.read(item);
    if (stored.result == ValueRead::end) return end_screen();
    if (stored.result == ValueRead::value) {
      if (item == MelodyItem::melody)
        draw_melody(stored.byte, COLOR_SCREEN, COLOR_SCREEN);
      else
        draw_volume(volume_level(stored.byte), COLOR_SCREEN);
    }
    return true;
  }

  // Ends a choice: Enter stores `byte` (`store`), Esc does not; either way
  // the stored value is shown again, unless a write that failed leaves
  // nothing to show. False when the screen ends.
  bool end_choice(MelodyItem item, bool store, int byte) {
    if (store) {
      ValueWrite written = station.write(item, byte);
      if (written == ValueWrite::end) return end_screen();
      if (written == ValueWrite::not_stored) return true;
    }
    return show_stored(item);
  }

  // Enter on the melody: the arrows choose, F4 edits the chosen melody's
  // name, Enter stores the choice. A stored melody outside 0..11 starts
  // from the nearest end.
  bool choose_melody() {
    int melody;
    bool goes_on;
    if (!value_to_choose(MelodyItem::melody, melody, goes_on)) return goes_on;
    melody = std::clamp(melody, 0, last_melody);
    for (;;) {
      draw_melody(melody, COLOR_BOX, COLOR_SCREEN);
      hint_melody_keys();
      goto_xy(melody_number_at);
      int scan;
      int k = read_plain_key(scan);
      if (k == key::esc || k == key::enter) return end_choice(MelodyItem::melody, k == key::enter, melody);
      if (k != key::extended) continue;
      if ((scan == key::right || scan == key::up) && melody < last_melody) ++melody;
      if ((scan == key::left || scan == key::down) && melody > 0) --melody;
      if (scan == key::f10 && look.help) help(look.help->melody_choice);
      if (scan == key::f4) {
        hint_name_edit();
        draw_melody(melody, COLOR_BOX, COLOR_BOX);
        edit_melody_name(names, melody, look.name_editor);
      }
    }
  }

  // Enter on the volume: the arrows move the level, Enter stores it.
  bool choose_volume() {
    int stored;
    bool goes_on;
    if (!value_to_choose(MelodyItem::volume, stored, goes_on)) return goes_on;
    int level = volume_level(stored);
    for (;;) {
      draw_volume(level, COLOR_BOX);
      hint_volume_keys();
      goto_xy(volume_bar_at.column + level, volume_bar_at.row);
      int scan;
      int k = read_plain_key(scan);
      if (k == key::esc || k == key::enter)
        return end_choice(MelodyItem::volume, k == key::enter, stored_volume(level));
      if (k != key::extended) continue;
      if ((scan == key::right || scan == key::up) && level < loudest_volume) ++level;
      if ((scan == key::left || scan == key::down) && level > 0) --level;
      if (scan == key::f10 && look.help) help(look.help->volume_choice);
    }
  }

  // The choice between the two items until Esc, or until the screen ends.
  void run_items() {
    MelodyItem current = MelodyItem::melody;
    for (;;) {
      draw_labels(current);
      hint_choose_param();
      goto_xy(current == MelodyItem::melody ? melody_label_at : volume_label_at);
      int scan;
      int k = read_plain_key(scan);
      if (k == key::esc) return;
      if (k == key::extended && (scan == key::up || scan == key::down))
        current = current == MelodyItem::melody ? MelodyItem::volume : MelodyItem::melody;
      if (k == key::extended && scan == key::f10 && look.help)
        help(current == MelodyItem::melody ? look.help->melody_item : look.help->volume_item);
      if (k == key::enter) {
        if (look.labels_plain_while_choosing) draw_labels(current, false);
        if (!(current == MelodyItem::melody ? choose_melody() : choose_volume())) return;
      }
    }
  }

  void run() {
    if (!look.frame_before_entry) {
      clear_screen();
      if (!station.enter()) return;
    }
    draw_layout();
    draw_labels(MelodyItem::melody);
    if (look.frame_before_entry && !station.enter()) return;
    // A new installation has no "name.mld" yet: open() starts one with empty
    // names, so the message is left for a file that can be neither opened
    // nor made. The station is not touched then.
    if (!names.open()) {
      show_names_file_error(false);
      return;
    }
    station.start();
    if (look.help) hint_help_key();
    {
      // The two values are one drawing: a silent station costs one box.
      FieldDrawing drawing;
      if (show_stored(MelodyItem::melody)) show_stored(MelodyItem::volume);
    }
    if (!failed) run_items();
    if (failed && !station.names_kept_after_failure()) return;  // the names stay as the file had them
    if (!names.write_back()) show_names_file_error(true);
  }
};

}  // namespace

void run_melody_screen(const MelodyScreenLook& look, MelodyStation& station) {
  MelodyScreen screen{look, station, {}};
  screen.run();
}

std::string ListedMelodies::text(int melody) const {
  return melody_known(melody) ? trimmed(melody_number(melody)) + " " + names_.shown(melody) : std::string();
}
