#pragma once
// The station link: a strict half-duplex exchange, one byte out and one byte
// back, every frame closed by a 7-bit check byte both sides compute. karvel
// reads and writes blocks of the station's memory; tomrik reads and writes
// numbered records.

#include <cstdint>

#include "link/link_state.h"

// Results of the link operations, and the codes of link_error_box. The
// record operations, the event poll, the connection and the box share one
// numbering; the karvel block and key frames answer with their own numbers,
// named here too (several names may share a number).
enum LinkResult : int {
  link_ok = 0,
  link_no_answer = 1,         // a byte went unanswered (tomrik: or no synchronisation on a read)
  link_no_sync = 2,           // synchronisation not established
  link_not_acknowledged = 3,  // an answer other than 0xFF where 0xFF is due
  link_check_mismatch = 4,    // the station's check byte differs from ours
  link_not_connected = 5,     // a station command while no station is chosen
  link_port_busy = 6,         // the port cannot be had
  link_system_error = 7,      // the port refused its settings or a control line change
  link_wrong_answer = 8,      // karvel: the identity read failed after the speed search
  link_interrupted = 27,      // the user ended an exchange with Esc (the Esc key code)

  // The karvel block and key frames, the port and the byte operations.
  link_failed = -1,  // a byte went unanswered, could not be sent or received, or the port could not be opened
  link_refused = 1,  // the command byte was answered with another byte than 0xFF
  link_key_check_mismatch = 2,
};

// Data of the last block read, or of the next block to write (karvel).
extern int link_buffer[256];

// Opens the port at the port and speed index of link_state: link_ok, or
// link_failed after it has shown the box for link_port_busy or
// link_system_error.
int link_open_port();
// One byte out: link_ok, or link_failed when it could not be sent.
// Shows no box.
int link_put_byte(int value);
// One byte in: link_ok; karvel: link_failed when the port failed,
// link_no_answer on a time-out; tomrik: link_no_answer in both cases. Shows
// no box.
int link_get_byte(int& value);
// RTS up, a settle wait, the receive side emptied. Shows the box for
// link_system_error itself when the line cannot be raised.
void link_rts_on();
// link_rts_off is declared in link_state.h.

// karvel memory blocks, at most 255 bytes. In file mode they act on the
// settings image (link_image.h); while neither in file mode nor connected
// they do nothing and give link_ok.
//
// link_read_block shows its own box (link_no_answer, link_not_acknowledged
// or link_check_mismatch) except where noted. link_ok; link_failed (a byte
// unanswered; no box when it was a data byte; in file mode, no box, a block
// outside the image); link_refused (no box); link_not_acknowledged;
// link_check_mismatch.
LinkResult link_read_block(int address, int count);
// The read every editor and view uses: a damaged answer can pass the check
// byte, so a block of the configuration window stands only when two reads
// in a row agree, at most four reads. A read that fails ends it with that
// read's result and box; four reads of which no two in a row agree give
// link_check_mismatch with its box. In file mode, without a station, for
// no bytes and for the live state below the window (it changes from one
// read to the next; the views read it again and again) it is
// link_read_block.
LinkResult link_read_block_alike(int address, int count);
// link_write_block shows its own box for every failure on the line: link_ok;
// link_failed or link_refused for the command byte (link_failed without a
// box in file mode, for a block outside the image); otherwise the
// position n of the failing byte in the frame (command = 1, address low = 2,
// address high = 3, count = 4, data byte i = 5 + i, check byte = 5 + count),
// -n when it went unanswered and n when it was not acknowledged or the
// check bytes differ.
//
// A write the station answered in full is read back: it succeeds only when
// the station holds what was written (the bytes it keeps to itself aside).
// A read-back that fails shows its box and gives -(5 + count) (unanswered)
// or 5 + count; one that differs shows the check byte box and gives
// 5 + count, with the station's bytes in link_buffer.
int link_write_block(int address, int count);
// Whether the last block or record write was read back and found to differ
// from what was written.
bool link_read_back_differed();
// Keeps back, for as long as it lives, the boxes that the karvel block
// operations would show, so that a caller that tries a block again shows
// the box of its last try only, once. Holders nest: the innermost holds.
class LinkBoxesHeld {
 public:
  LinkBoxesHeld();
  ~LinkBoxesHeld();
  LinkBoxesHeld(const LinkBoxesHeld&) = delete;
  LinkBoxesHeld& operator=(const LinkBoxesHeld&) = delete;

  void hold(int code) { code_ = code; }
  // The box last held back (0 for none), forgotten once taken.
  int take() {
    int code = code_;
    code_ = 0;
    return code;
  }

 private:
  int code_ = 0;
  LinkBoxesHeld* outer_;
};

// karvel: the station moves to the speed its exchange speed setting names
// as soon as it stores the setting. After a write of `count` bytes that
// carried the setting with `value`, whatever the write's result, the port
// follows the station to that speed when the station took the byte: when
// the write succeeded, or, when only the answer to the check byte went
// wrong, when the station answers at the new speed. Nothing happens in file
// mode, without a station, or for a value that names no speed or the speed
// in use. True when the port moved. The check may leave link_buffer changed.
bool link_follow_station_speed(int value, int write_result, int count);

// The block read of the speed search: it goes to the station although the
// link does not count as connected yet. Results and boxes as
// link_read_block.
LinkResult link_probe_block(int address, int count);

// The event poll, both models; shows no box. link_ok with the frame in
// frame[0..] (at least 8 elements in karvel, 259 in tomrik);
// link_interrupted when the user pressed Esc; link_no_answer;
// link_check_mismatch; in the karvel event log view also the failure of the
// last key frame sent.
LinkResult link_poll_event(int* frame);
// A karvel key frame (command, code, check byte); shows no box, prints its
// bytes at the cursor. link_ok; link_failed (unanswered); link_refused (not
// acknowledged); link_key_check_mismatch.
LinkResult link_send_key(int command, int code);

// tomrik records, element 0 the data length N, elements 1..N the data; the
// caller's array holds 256 elements. Neither shows a box: callers that
// report a failure pass the result to link_error_box.
// Read: link_ok; link_no_answer (also: no synchronisation);
// link_not_acknowledged; link_check_mismatch.
LinkResult link_read_record(int* record, int group, int index);
// The record read of the editors and screens: taken only when two reads in
// a row agree (length and bytes), at most four reads; a failed read ends it
// with its result, four reads of which no two in a row agree give
// link_check_mismatch.
LinkResult link_read_record_alike(int* record, int group, int index);
// Write: link_ok; link_no_answer; link_no_sync; link_not_acknowledged;
// link_check_mismatch. A write the station answered in full is read back
// (the identity and station values aside): a read-back that fails gives its
// result, one that differs link_check_mismatch.
LinkResult link_write_record(const int* record, int group, int index);

// A damaged answer can pass the check byte, so a read stands only when two
// reads in a row agree. Each try of a unit gives its read here: true once
// it equals the read before it (a failed read breaks the row). A unit tried
// four times thus takes at most four reads.
class AlikeReads {
 public:
  bool agree(bool read_ok, const int* data, int count);

 private:
  int last_[256] = {};
  int count_ = -1;  // -1: no read to compare with
};

// The check byte over the sum of a frame's bytes.
int link_check_byte(int sum);
