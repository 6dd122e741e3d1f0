// A karvel settings file as the File menu loads it, then the station-wide
// pages and the pages of the last port drawn from the loaded image.
//
// Input: a flag byte (bit 0: the file is padded with zeros to a whole image,
// so that files of the right size are reached from short inputs), then the
// file's bytes.
#include "editors/field_editors.h"
#include "fuzz/fuzz_support.h"
#include "karvel/internal_ports.h"
#include "karvel/station_settings.h"
#include "settings/program_profile.h"
#include "settings/settings_commands.h"

namespace {

// Walks every row of a page and leaves it.
void walk_page(fuzz::Keys& keys, void (*page)()) {
  for (int i = 0; i < 20; ++i) keys.add({key::extended, key::down});
  for (int i = 0; i < 6; ++i) keys.add({key::extended, key::right});
  keys.add({key::esc});
  page();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Session session(karvel_program);
  port_editor = BlockEditorState();
  access_pending = 0;
  fuzz::Input in(data, size);
  bool whole = in.byte() & 1;
  fuzz::Bytes file = in.rest();
  if (whole) file.resize(karvel_image_size, 0);
  fuzz::write_file("f.set", file);

  session.keys.add_text("f");
  session.keys.add({key::enter});
  load_settings_file();
  if (!link_state.file_mode) return 0;

  walk_page(session.keys, show_identity_page);
  walk_page(session.keys, edit_general_settings);
  walk_page(session.keys, edit_hardware_numbers);
  walk_page(session.keys, edit_logical_numbers);
  walk_page(session.keys, edit_access_codes);
  walk_page(session.keys, edit_protection_levels);
  // The port count comes from the file's identity.
  port_editor.current = link_state.port_count;
  for (void (*page)() : {edit_port_main, edit_port_pulse, edit_port_times, edit_port_extra, edit_port_call_groups,
                         edit_port_variants, edit_port_redirection})
    walk_page(session.keys, page);
  return 0;
}
