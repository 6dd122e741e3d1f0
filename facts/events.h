#pragma once
// The event codes a station sends when polled, by name, for both models.
// How many further bytes each carries is in station_facts.h.

namespace facts {

namespace karvel_event {
inline constexpr int handset_up = 0x81;       // telephone a
inline constexpr int handset_down = 0x82;     // telephone a
inline constexpr int line_busy = 0x83;        // city line a
inline constexpr int line_free = 0x84;        // city line a
inline constexpr int port_calls = 0x85;       // subscriber a calls b
inline constexpr int line_calls = 0x86;       // city line a calls subscriber b
inline constexpr int call_ended = 0x87;       // subscriber a ended the call to b
inline constexpr int line_rings = 0x88;       // ringing begins on city line a
inline constexpr int line_held = 0x89;        // line a held by subscriber b
inline constexpr int port_held = 0x8A;        // subscriber a held by b
inline constexpr int connection = 0x8B;       // seven bytes
inline constexpr int clear_down = 0x8C;       // subscriber a
inline constexpr int line_call_ended = 0x8D;  // line a ended the call to b
inline constexpr int port_count = 0x8E;
inline constexpr int line_count = 0x8F;
inline constexpr int selector_ended = 0x90;
inline constexpr int selector_made = 0x91;
inline constexpr int selector_left = 0x92;
inline constexpr int selector_joined = 0x93;
}  // namespace karvel_event

namespace tomrik_event {
inline constexpr int off_hook = 0x81;          // subscriber p1
inline constexpr int on_hook = 0x82;           // subscriber p1
inline constexpr int line_seized = 0x83;       // line p1
inline constexpr int line_released = 0x84;     // line p1
inline constexpr int internal_call = 0x85;     // subscriber p2 called by subscriber p1
inline constexpr int city_call = 0x86;         // subscriber p2 called from line p1
inline constexpr int stop_ringing = 0x87;      // subscriber p1
inline constexpr int ring_from_city = 0x88;    // line p1
inline constexpr int line_on_hold = 0x89;      // line p1 held by subscriber p2
inline constexpr int subscriber_held = 0x8A;   // subscriber p1 held by subscriber p2
inline constexpr int connection = 0x8B;        // the parties in the bits of p1..p3
inline constexpr int city_call_starts = 0x8D;  // subscriber p1 on line p2; p3 digit codes follow
}  // namespace tomrik_event

}  // namespace facts
