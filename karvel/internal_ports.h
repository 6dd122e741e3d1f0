#pragma once
// Internal port settings: the port prompt, the page menu and the pages of a
// port's 256-byte block at 0x8000 + 256 p.

#include <string>

#include "editors/block_editor.h"
#include "facts/station_facts.h"

// The editor's state while it runs: the port being edited (1..port_count,
// 0 = none chosen) and the page menu's item (1..8; 0 ends the editor).
extern BlockEditorState port_editor;
// No port chosen, the first page item: as the editor starts.
void reset_port_editor();

// "Порт 5": how the listing names a port.
std::string port_section(int port);

inline int port_block(int port) { return facts::karvel_block_address(port); }

// The port prompt: the chosen port, or the current one after Esc (which
// also clears the page item).
int ask_port_number();
// The port prompt run from `start` while the editor's own state is kept as
// it was: the port chosen, or `on_esc` after Esc.
int ask_port_aside(const BlockEditorState& start, int on_esc);
// PgUp, PgDn, Home, End and F9 (the port prompt) applied to a port;
// returns the new port.
int port_switch_keys(int port, int key_code);

void edit_port_main();
void edit_port_pulse();
void edit_port_times();
void edit_port_extra();
void edit_port_call_groups();
void edit_port_variants();
void edit_port_redirection();
