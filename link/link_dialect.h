#pragma once
// How the program talks to its station model, chosen once at start-up.

struct LinkDialect {
  bool memory_window;       // karvel: memory blocks, line test, speed search; tomrik: records at 4800
  int read_timeout_ms;      // a one-byte read gives up after this long
  int rts_settle_ms;        // the wait after raising RTS, before the receive purge
  bool read_failure_is_timeout;  // link_get_byte reports a failed read as a time-out
  int message_width;        // error box texts are centred in this many characters
  int message_column;       // and start at this column
  bool message_blank_rows;  // blank rows frame the heading and message
  bool wrong_answer_message;     // code 8 has a message
  int identity_length;      // characters of station_identity
};

const LinkDialect& link_dialect();
void use_link_dialect(const LinkDialect& dialect);

extern const LinkDialect karvel_link_dialect;
extern const LinkDialect tomrik_link_dialect;
