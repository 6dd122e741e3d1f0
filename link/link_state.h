#pragma once
// Program-wide state of the station link: which port and speed, whether a
// station answered, and what it said about itself.

struct LinkState {
  int port_index = 0;   // 0 = "COM1", 1 = "COM2"
  int speed_index = 0;  // karvel: 0..3 = 9600, 19200, 38400, 57600
  int station_connected = 0;
  int file_mode = 0;    // karvel: block reads and writes go to the settings image
  bool port_opened = false;
  char station_identity[8] = {};  // karvel 7 characters, tomrik 4
  int city_line_count = 0;
  int port_count = 0;        // karvel
  int subscriber_count = 0;  // tomrik
  int channel_row_count = 0; // karvel
  int first_line_port = 0;   // karvel
  int access_code_table[8] = {};  // karvel, entries 1..7
};
extern LinkState link_state;

// Drops the control line to the station; nothing to do while no port was
// ever opened.
void link_rts_off();
