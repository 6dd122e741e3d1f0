// The Win32 back end's own parts that need no console and no device: key
// events and cells, the serial line settings and time-outs, the viewer's
// command lines and the timer wait.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <vector>

#include "platform/win32/console_codes.h"
#include "platform/cp866.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/serial.h"
#include "platform/win32/serial_win32.h"
#include "platform/win32/system_win32.h"

namespace platform::win32 {
namespace {

KEY_EVENT_RECORD key_event(WORD virtual_key, WORD scan, wchar_t ch, DWORD state = 0) {
  KEY_EVENT_RECORD e{};
  e.bKeyDown = TRUE;
  e.wRepeatCount = 1;
  e.wVirtualKeyCode = virtual_key;
  e.wVirtualScanCode = scan;
  e.uChar.UnicodeChar = ch;
  e.dwControlKeyState = state;
  return e;
}

std::vector<int> bytes_of(const KEY_EVENT_RECORD& e) {
  std::deque<std::uint8_t> out;
  append_key_bytes(e, out);
  return {out.begin(), out.end()};
}

TEST(Win32Keys, KeysWithoutACharacterComeAsZeroAndTheirScanCode) {
  EXPECT_EQ(bytes_of(key_event(VK_DOWN, 0x50, 0, ENHANCED_KEY)), (std::vector<int>{0, key::down}));
  EXPECT_EQ(bytes_of(key_event(VK_UP, 0x48, 0)), (std::vector<int>{0, key::up}));  // keypad, Num Lock off
  EXPECT_EQ(bytes_of(key_event(VK_NEXT, 0x51, 0)), (std::vector<int>{0, key::pgdn}));
  EXPECT_EQ(bytes_of(key_event(VK_DELETE, 0x53, 0)), (std::vector<int>{0, key::del}));
  EXPECT_EQ(bytes_of(key_event(VK_F1, 0x3B, 0)), (std::vector<int>{0, key::f1}));
  EXPECT_EQ(bytes_of(key_event(VK_F10, 0x44, 0)), (std::vector<int>{0, key::f10}));
  // The table decides, not the scan code a terminal emulation reports.
  EXPECT_EQ(bytes_of(key_event(VK_LEFT, 0, 0)), (std::vector<int>{0, key::left}));
}

TEST(Win32Keys, OrdinaryKeysComeAsTheirCodeAndCyrillicAsCp866) {
  EXPECT_EQ(bytes_of(key_event(VK_RETURN, 0x1C, L'\r')), (std::vector<int>{key::enter}));
  EXPECT_EQ(bytes_of(key_event(VK_ESCAPE, 0x01, 27)), (std::vector<int>{key::esc}));
  EXPECT_EQ(bytes_of(key_event(VK_TAB, 0x0F, L'\t')), (std::vector<int>{key::tab}));
  EXPECT_EQ(bytes_of(key_event(VK_BACK, 0x0E, 8)), (std::vector<int>{key::backspace}));
  EXPECT_EQ(bytes_of(key_event(VK_BACK, 0x0E, 127)), (std::vector<int>{key::backspace}));
  // Wine's terminal console sends Esc with no character.
  EXPECT_EQ(bytes_of(key_event(VK_ESCAPE, 0x01, 0)), (std::vector<int>{key::esc}));
  EXPECT_EQ(bytes_of(key_event(VK_RETURN, 0x1C, 0)), (std::vector<int>{key::enter}));
  EXPECT_EQ(bytes_of(key_event('H', 0x23, L'H', SHIFT_PRESSED)), (std::vector<int>{'H'}));
  EXPECT_EQ(bytes_of(key_event('P', 0x19, L'p')), (std::vector<int>{'p'}));
  // "Ж", "я" and "ё" typed on a Russian layout.
  EXPECT_EQ(bytes_of(key_event(0xBA, 0x27, L'\u0416', SHIFT_PRESSED)), (std::vector<int>{0x86}));
  EXPECT_EQ(bytes_of(key_event('Z', 0x2C, L'\u044F')), (std::vector<int>{0xEF}));
  EXPECT_EQ(bytes_of(key_event(0xC0, 0x29, L'\u0451')), (std::vector<int>{0xF1}));
  // Ctrl+C is a key, not a signal.
  EXPECT_EQ(bytes_of(key_event('C', 0x2E, 3, LEFT_CTRL_PRESSED)), (std::vector<int>{3}));
}

TEST(Win32Keys, AltGivesTheScanCodeButAltGrTypes) {
  EXPECT_EQ(bytes_of(key_event('X', 0x2D, L'x', LEFT_ALT_PRESSED)), (std::vector<int>{0, 0x2D}));
  EXPECT_EQ(bytes_of(key_event('E', 0x12, L'\u20AC', RIGHT_ALT_PRESSED | LEFT_CTRL_PRESSED)), (std::vector<int>{}));
  EXPECT_EQ(bytes_of(key_event('Q', 0x10, L'@', RIGHT_ALT_PRESSED | LEFT_CTRL_PRESSED)), (std::vector<int>{'@'}));
}

TEST(Win32Keys, ReleasesShiftKeysAndForeignCharactersAddNothing) {
  KEY_EVENT_RECORD release = key_event(VK_DOWN, 0x50, 0);
  release.bKeyDown = FALSE;
  EXPECT_TRUE(bytes_of(release).empty());
  EXPECT_TRUE(bytes_of(key_event(VK_SHIFT, 0x2A, 0, SHIFT_PRESSED)).empty());
  EXPECT_TRUE(bytes_of(key_event(VK_CONTROL, 0x1D, 0, LEFT_CTRL_PRESSED)).empty());
  EXPECT_TRUE(bytes_of(key_event(VK_F11, 0x57, 0)).empty());
  EXPECT_TRUE(bytes_of(key_event(0, 0, 0)).empty());  // a sequence the console did not know
  EXPECT_TRUE(bytes_of(key_event('A', 0x1E, L'\u00E9')).empty());  // no CP866 code
}

TEST(Win32Keys, AHeldKeyRepeatsWithinBounds) {
  KEY_EVENT_RECORD held = key_event(VK_RIGHT, 0x4D, 0);
  held.wRepeatCount = 3;
  EXPECT_EQ(bytes_of(held), (std::vector<int>{0, key::right, 0, key::right, 0, key::right}));
  held.wRepeatCount = 0;
  EXPECT_EQ(bytes_of(held).size(), 2u);
  held.wRepeatCount = 60000;
  EXPECT_EQ(bytes_of(held).size(), 32u);
}

TEST(Win32Cells, ACellKeepsItsColourAndShowsItsCp866Glyph) {
  CHAR_INFO frame = console_cell(Cell{0xB3, 0x70});
  EXPECT_EQ(frame.Char.UnicodeChar, L'\u2502');
  EXPECT_EQ(frame.Attributes, 0x70);
  CHAR_INFO letter = console_cell(Cell{0x8A, 0x1E});  // "К"
  EXPECT_EQ(letter.Char.UnicodeChar, L'\u041A');
  EXPECT_EQ(letter.Attributes, 0x1E);
  EXPECT_EQ(console_cell(Cell{'A', 0xFF}).Attributes, 0xFF);
  EXPECT_EQ(console_cell(Cell{0x00, 0x2E}).Char.UnicodeChar, L' ');
  EXPECT_EQ(console_cell(Cell{0xFF, 0x2E}).Char.UnicodeChar, L' ');
}

TEST(Win32Serial, TheLineIsRaw8N1WithNoFlowControlAndRtsLeftToTheProgram) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = 110;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fDsrSensitivity = TRUE;
  dcb.fOutX = dcb.fInX = dcb.fAbortOnError = TRUE;
  dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fBinary = TRUE;
  dcb.XonChar = 17;
  apply_line_settings(dcb, 57600);
  EXPECT_EQ(dcb.BaudRate, 57600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_FALSE(dcb.fOutxCtsFlow || dcb.fOutxDsrFlow || dcb.fDsrSensitivity);
  EXPECT_FALSE(dcb.fOutX || dcb.fInX || dcb.fAbortOnError);
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
  // What the programs do not name stays as the system gave it.
  EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_TRUE(dcb.fBinary);
  EXPECT_EQ(dcb.XonChar, 17);
  apply_line_settings(dcb, 4800);
  EXPECT_EQ(dcb.BaudRate, 4800u);
}

TEST(Win32Serial, OneByteReadsGiveUpAfterTheProgramsTimes) {
  COMMTIMEOUTS karvel = timeouts_for_read(200);
  EXPECT_EQ(karvel.ReadIntervalTimeout, 100u);
  EXPECT_EQ(karvel.ReadTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(karvel.ReadTotalTimeoutConstant, 100u);
  COMMTIMEOUTS tomrik = timeouts_for_read(51);
  EXPECT_EQ(tomrik.ReadIntervalTimeout, 50u);
  EXPECT_EQ(tomrik.ReadTotalTimeoutMultiplier, 1u);
  EXPECT_EQ(tomrik.ReadTotalTimeoutConstant, 50u);
  for (const COMMTIMEOUTS& t : {karvel, tomrik}) {
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 50u);
  }
  COMMTIMEOUTS other = timeouts_for_read(1000);
  EXPECT_EQ(other.ReadTotalTimeoutMultiplier + other.ReadTotalTimeoutConstant, 1000u);
  COMMTIMEOUTS at_once = timeouts_for_read(0);
  EXPECT_EQ(at_once.ReadIntervalTimeout, MAXDWORD);
  EXPECT_EQ(at_once.ReadTotalTimeoutMultiplier + at_once.ReadTotalTimeoutConstant, 0u);
}

TEST(Win32Serial, TwoPortNamesTheEnvironmentsPortsAndTheProgramsSpeedsAreKnown) {
  EXPECT_EQ(serial_device_path("COM1"), "COM1");
  EXPECT_EQ(serial_device_path("COM2"), "COM2");
  EXPECT_EQ(serial_device_path("COM3"), "");
  EXPECT_EQ(serial_device_path("\\\\.\\COM1"), "");
  // A USB adapter's port named in the environment, through the device
  // namespace; a text that is no port name is taken as it is.
  _putenv_s("STATION_COM1", " com12 ");
  _putenv_s("STATION_COM2", "\\\\.\\COM10");
  EXPECT_EQ(serial_device_path("COM1"), "\\\\.\\com12");
  EXPECT_EQ(serial_device_path("COM2"), "\\\\.\\COM10");
  for (const char* other : {"COM0", "COM257", "COMX", "COM"}) {
    _putenv_s("STATION_COM1", other);
    EXPECT_EQ(serial_device_path("COM1"), other);
  }
  _putenv_s("STATION_COM1", "");
  _putenv_s("STATION_COM2", "");
  EXPECT_EQ(serial_device_path("COM1"), "COM1");
  for (int baud : {4800, 9600, 19200, 38400, 57600}) EXPECT_TRUE(is_serial_speed(baud)) << baud;
  for (int baud : {0, 2400, 115200}) EXPECT_FALSE(is_serial_speed(baud)) << baud;
  auto port = make_system_serial_port();
  EXPECT_EQ(port->open("COM3", 9600), SerialOpen::not_available);
  EXPECT_FALSE(port->is_open());
  std::uint8_t byte = 0;
  EXPECT_EQ(port->read_byte(byte, 200), serial_read_failed);
  EXPECT_FALSE(port->write_byte(0xBA));
  EXPECT_FALSE(port->set_rts(true));
  EXPECT_FALSE(port->purge_input());
}

TEST(Win32Viewer, HiewFirstThenMoreOnTheSameFile) {
  EXPECT_EQ(viewer_command_lines("help.hlp"),
            (std::vector<std::string>{"hiew help.hlp", "cmd.exe /c more help.hlp"}));
  EXPECT_EQ(viewer_command_lines("my help.hlp")[0], "hiew \"my help.hlp\"");
}

TEST(Win32Clock, AWaitLastsAtLeastItsTimeOnTheThreadTimer) {
  Clock* saved_clock = services().clock;
  ProgramRunner* saved_runner = services().runner;
  use_system_services();
  std::uint64_t start = now_ms();
  auto steady_start = std::chrono::steady_clock::now();
  services().clock->sleep_ms(60);
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - steady_start);
  EXPECT_GE(waited.count(), 50);
  EXPECT_GE(now_ms() - start, 50u);
  steady_start = std::chrono::steady_clock::now();
  services().clock->sleep_ms(0);
  EXPECT_LT(std::chrono::steady_clock::now() - steady_start, std::chrono::milliseconds(50));
  services().clock = saved_clock;
  services().runner = saved_runner;
}

}  // namespace
}  // namespace platform::win32
