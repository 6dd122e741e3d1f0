// The karvel File menu commands that load a settings file for off-line
// editing and save the edited image.
#include <algorithm>
#include <cstring>
#include <string>

#include "link/link_state.h"
#include "platform/cp866.h"
#include "settings/settings_commands.h"
#include "settings/settings_files.h"
#include "settings/settings_image.h"
#include "settings/settings_state.h"
#include "settings/transfer_frame.h"
#include "toolkit/screen.h"

void load_settings_file() {
  // The image in memory may hold edits not saved yet: it is replaced only
  // by a file that has been read whole, and a load that ends without one
  // leaves the image, file mode and the file name as they were.
  static std::uint8_t incoming[karvel_image_size];
  const SettingsState before = settings_state;
  bool loaded = false;
  draw_box(18, 3, 59, 20);
  for (;;) {
    int result = settings_file_dialog("*.set");
    if (result == 27) break;
    if (result == -1) continue;
    FileRead read = read_settings_file(incoming, karvel_image_size);
    if (read == FileRead::cannot_open) {
      show_open_error();
      continue;
    }
    if (read == FileRead::wrong_size || !karvel_identity_valid(incoming)) {
      show_file_not_suitable();
      continue;
    }
    std::memcpy(settings_image.karvel, incoming, karvel_image_size);
    link_state.file_mode = 1;
    link_state.station_connected = 0;
    take_karvel_identity(settings_image.karvel);
    loaded = true;
    break;
  }
  if (!loaded) settings_state = before;
  erase_box(18, 3, 59, 20);
}

void save_settings_file() {
  draw_box(18, 3, 59, 20);
  for (;;) {
    bool written = false;
    if (settings_file_dialog("*.set") == 0) {
      std::string question = "Записать отредактированный файл "_cp;
      question += settings_state.file_name;
      question += " [Y/N]";
      print_at(20, 4, question, COLOR_BOX);
      int answer = read_key();
      if (answer == key::extended) read_key();
      // At least the 46 places of the usual blank, and all of a long question.
      print_at(20, 4, std::string(std::max<std::size_t>(46, question.size()), ' '), COLOR_BOX);
      if (key::is_yes(answer)) {
        // The old file is replaced only once the new one is complete.
        SettingsFileWriter writer;
        if (!writer.begin()) {
          show_open_error();
          continue;
        }
        written = writer.commit(settings_image.karvel, karvel_image_size);
        if (!written) show_write_error();
      }
    }
    print_at(20, 4,
             written ? "Файл записан. Для продолжения нажмите любую клавишу."_cp
                     : "Файл не записан. Для продолжения нажмите любую клавишу."_cp,
             COLOR_BOX);
    read_key();
    break;
  }
  erase_box(18, 3, 59, 20);
}
