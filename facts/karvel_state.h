#pragma once
// karvel's live state memory below the configuration window, read only by
// the live views and written by the simulator's traffic, and the codes it
// holds.

namespace facts {

// A port's 8-byte state block at 256 p, a city line's at 256 times its block
// number (first_line_port + L - 1), as their settings blocks lie in the
// window. A port keeps its call queue and its hold buffer, 8 bytes each, at
// these offsets of its state block.
inline constexpr int karvel_state_block_size = 8;
inline constexpr int karvel_port_queue_offset = 0x30;
inline constexpr int karvel_port_hold_offset = 0x50;
inline constexpr int karvel_buffer_size = 8;

// Channel row j at karvel_channel_blocks + 256 j: member count, then the
// ports and line blocks of the channel.
inline constexpr int karvel_channel_blocks = 0x3007;
// SELECTOR: leader, channel, six registered subscribers; channel c's 9 bytes
// at karvel_selector_channels + 256 c.
inline constexpr int karvel_selector_block = 0x3900;
inline constexpr int karvel_selector_channels = 0x3008;
inline constexpr int karvel_selector_channel_size = 9;
// The expansion board: flags and working subscriber; channel k + 1 at
// karvel_board_channels + 16 k (three of them); its queue of 8 bytes.
inline constexpr int karvel_board_block = 0x3A00;
inline constexpr int karvel_board_channels = 0x3A10;
inline constexpr int karvel_board_channel_step = 16;
inline constexpr int karvel_board_channel_count = 3;
inline constexpr int karvel_board_queue = 0x3A40;

// The board's flag bits.
inline constexpr int karvel_board_programming = 0x80;
inline constexpr int karvel_board_led_off = 0x10;
inline constexpr int karvel_board_station_input = 0x01;

// Port state codes; a telephone off hook has 0x40 and more.
namespace karvel_port_code {
inline constexpr int idle = 0x00;
inline constexpr int ringing = 0x03;       // an internal call rings it
inline constexpr int city_ringing = 0x04;  // a city call rings it
inline constexpr int off_hook_from = 0x40;
inline constexpr int no_channel = 0x40;
inline constexpr int clear_down = 0x42;
inline constexpr int dial_tone = 0x43;
inline constexpr int calling = 0x44;
inline constexpr int calling_busy = 0x45;
inline constexpr int talking = 0x48;
inline constexpr int held = 0x4D;
inline constexpr int dial_error = 0x4E;
inline constexpr int going_out = 0x55;
inline constexpr int city_talk = 0x56;
inline constexpr int no_line = 0x57;
inline constexpr int holding = 0x5C;
inline constexpr int selector = 0x5F;
inline constexpr int announcer = 0x60;
}  // namespace karvel_port_code

// City line state codes.
namespace karvel_line_code {
inline constexpr int idle = 0;
inline constexpr int ringing = 1;
inline constexpr int talking = 2;
inline constexpr int waiting_channel = 3;
inline constexpr int held = 4;
inline constexpr int disa = 11;
inline constexpr int direct_call = 14;
inline constexpr int loading = 23;
inline constexpr int clear_down = 24;
inline constexpr int waiting_announcer = 25;
inline constexpr int before_disa = 26;
}  // namespace karvel_line_code

}  // namespace facts
