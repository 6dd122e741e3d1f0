#pragma once
// Program-wide state of the station link: which port and speed, whether a
// station answered, and what it said about itself.

#include <cstdint>
#include <memory>

#include "platform/serial.h"

// The event log view of karvel turns keys pressed while it polls into key
// frames: the hook gets the key read between poll rounds (it reads the scan
// code of an extended key itself), sends its frames with link_send_key and
// returns how many it sent, with the result of the last one in last_result.
using LinkKeyFrames = int (*)(int key, int& last_result);
// Asked before every byte the link sends, while set: true gives the frame
// up at once, as if the byte had gone unanswered (a transfer stopped by Esc).
using LinkInterrupt = bool (*)();

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
  int trace_flag = 0;        // karvel: link_poll_event appends its frames to "cmd.ttt"
  LinkKeyFrames key_frames = nullptr;  // karvel: set while the event log view polls
  LinkInterrupt interrupt = nullptr;   // set while a transfer tries a unit
  // karvel: false while the access codes could not be read at connection.
  bool access_codes_known = true;
  // The port the link talks through (the system's, made at its first use,
  // or one a test put in) and the last byte the station sent on it.
  std::unique_ptr<platform::SerialPort> port;
  int last_reply = 0;
  // No byte goes out before this time (ms): a failed frame waits for the
  // line to fall quiet.
  std::uint64_t line_settles_at = 0;
  // When the station last sent a byte (ms) while a live view watched.
  std::uint64_t answered_at = 0;
};
extern LinkState link_state;
// Puts the link state back as a program starts with it: no station, no port
// (the open one is closed), file mode off (reset_run_state calls it).
void reset_link_state();

// Takes station_identity and the counts from what a station says about
// itself. karvel: the 8 identity bytes (read at connection, or the start of
// a settings image); tomrik: the 4 identity characters.
void link_take_karvel_identity(const std::uint8_t* identity);
void link_take_tomrik_identity(const std::uint8_t* identity);

// Drops the control line to the station; nothing to do while no port was
// ever opened.
void link_rts_off();
