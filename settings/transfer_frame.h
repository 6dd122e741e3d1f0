#pragma once
// What the file commands and the whole-configuration transfers share: the
// messages at the dialog's name field, the result line, the progress bars,
// and the frame of a transfer command (dialog, question, transfer, again).

#include <cstdint>
#include <string>

// karvel messages at (34, 4) in COLOR_ALERT; each waits for a key and
// blanks its field again.
void show_open_error();
void show_file_not_suitable();

// A result text centred in a field of `width` at (column, 4); waits for a
// key, blanks the field and returns the key (0 for an extended key).
int show_result(const char* text, int column, int width, std::uint8_t colour);
// tomrik's refusal of a file for another configuration, at (34, 4) as it
// stands (not centred); waits for a key, blanks the line, returns the key.
int show_unsuitable_configuration();

struct TransferCommand {
  bool clear_screen_first;
  int question_column;
  std::string (*question)();  // the question for the chosen file
  // Runs after a yes: the key that ends the round (Esc ends the command,
  // any other shows the dialog again).
  int (*transfer)();
};
void run_transfer_command(const TransferCommand& command);

// True in tomrik, whose station is addressed by records.
bool record_station();
