#pragma once
// The whole-configuration transfers between the station and a settings
// image, apart from any screen: the File menu's commands and the commands
// given on the command line run the same course of units (karvel blocks,
// tomrik records) with the same checks, and differ only in how they show
// progress and results and in how a user stops them.

#include <cstdint>

class TransferWatch {
 public:
  virtual ~TransferWatch() = default;
  // A pass of the transfer proper starts: `units` units follow. A send
  // ends with one or two passes `checking` that what the station holds is
  // the image.
  virtual void started(int /*units*/, bool /*checking*/) {}
  // Unit `unit` (0-based) of `units` is over: moved, or failed with the
  // transfer going on.
  virtual void unit_done(int unit, int units) = 0;
  // A unit failed after all its tries; `box` is the link failure its last
  // try met (0 when the link gave none).
  virtual void unit_failed(int /*unit*/, int /*box*/) {}
  // Asked before every try of a unit and, while a try runs, before every
  // byte it sends: true stops the transfer there.
  virtual bool stop_asked() { return false; }
};

enum class TransferEnd {
  done,          // every unit moved (some may have failed: see failures)
  stopped,       // stop_asked said so
  broken,        // a run of failed units ended it: the station is gone
  not_suitable,  // the image is not of the connected station; nothing sent
  identity_unread,  // karvel: the station's identity could not be read; nothing sent
};

struct TransferOutcome {
  TransferEnd end = TransferEnd::done;
  int failures = 0;  // units that failed after all their tries
  // Whether every unit arrived.
  bool whole() const { return end == TransferEnd::done && failures == 0; }
};

// Reads every unit of the connected station's configuration into `image`
// (the image size of the active program; a tomrik image is zeroed first).
// A unit is taken only when two reads of it agree; the first unit that
// still fails ends the transfer, since a file is written whole or not at
// all. When every unit came, the settings image holds them too.
TransferOutcome read_image_from_station(std::uint8_t* image, TransferWatch& watch);

// Checks that `image` belongs to the connected station, makes it the
// settings image, and writes every unit of it to the station; each write
// stands only once it has been read back equal, and the whole is compared
// with the station at the end (send_whole, transfer_frame.h). A failed unit
// is counted and the transfer goes on; two failed units in a row end it.
TransferOutcome write_image_to_station(const std::uint8_t* image, TransferWatch& watch);
