#pragma once
// The station link: a strict half-duplex exchange, one byte out and one byte
// back, every frame closed by a 7-bit check byte both sides compute. karvel
// reads and writes blocks of the station's memory; tomrik reads and writes
// numbered records. Results are 0 for success; the codes of the failures
// are those of link_error_box.

#include "link_state.h"

// Data of the last block read, or of the next block to write (karvel).
extern int link_buffer[256];

int link_open_port();
int link_put_byte(int value);
int link_get_byte(int& value);
void link_rts_on();
// link_rts_off is declared in link_state.h.

int link_read_block(int address, int count);   // karvel
int link_write_block(int address, int count);  // karvel
int link_poll_event(int* frame);
int link_send_key(int command, int code);      // karvel
int link_read_record(int* record, int group, int index);         // tomrik
int link_write_record(const int* record, int group, int index);  // tomrik

// The block read of the speed search: it goes to the station although the
// link does not count as connected yet (karvel).
int link_probe_block(int address, int count);

// The check byte over the sum of a frame's bytes.
int link_check_byte(int sum);

// The message box for link failures.
void link_error_box(int code);
