#!/usr/bin/env python3
"""Whole-configuration transfer benchmark of karvel or tomrik.

Starts the station simulator on a pseudo-terminal with a settings image,
runs the program on a pseudo-terminal of 80 x 25 with the simulator as its
COM1, connects, and times station to file and then file to station of the
same file: from the answer "y" to the result text. Then, against the same
simulator, it times the same station to file from the command line,
`--read-station`: the whole command (its connection, with karvel's speed
search, included) and its transfer after the station was found (for tomrik
the settings apart from the phone books, which only the command line
reads), beside the screen's connection and transfer. Reports the time, the
time the same bytes take on the wire at the line speed (every byte of the
lock-step exchange in turn, 10 bits a byte, each unit moved once), and their
ratio, for each simulator mode given. The file read must equal the
simulator's image byte for byte, and so must the command line's.

Usage: bench/transfer.py [--model karvel|tomrik] [build/bin] [baud] [mode ...]
  a mode is a set of extra simulator options, e.g. "" (no pacing) and
  "--pace" (line-speed pacing); the default runs every mode the simulator
  offers. tomrik always runs at 4800 baud.
"""
import fcntl
import os
import pty
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

args = sys.argv[1:]
model = "karvel"
if args[:1] == ["--model"]:
    model, args = args[1], args[2:]
if model not in ("karvel", "tomrik"):
    sys.exit("bench/transfer.py: the model is karvel or tomrik")
bin_dir = os.path.abspath(args[0] if args else "build/bin")
baud = int(args[1]) if len(args) > 1 else (57600 if model == "karvel" else 4800)
modes = args[2:]
if model == "tomrik":
    baud = 4800


def round_trips_seconds(round_trips):
    """Each round trip is one byte out and its answer back, 10 bits each."""
    return round_trips * 2 * 10 / baud


def tomrik_records():
    """The records of the settings image of a station with 4 lines and 16
    subscribers, in the transfers' order: (group, index, size, offset)."""
    rows = [(0x80, 1, 4, 0x000), (0x81, 1, 1, 0x010), (0x82, 1, 1, 0x020), (0x83, 1, 1, 0x030)]
    line_rows = [(0x01, 0, 1, 0x080), (0x04, 0, 1, 0x090), (0x02, 0, 1, 0x0A0), (0x0D, 0, 1, 0x0B0),
                 (0x05, 0, 4, 0x0C0), (0x0D, 4, 1, 0x0D0), (0x03, 0, 1, 0x0E0), (0x06, 0, 1, 0x0F0),
                 (0x07, 0, 1, 0x100), (0x0D, 8, 1, 0x110), (0x0B, 0, 1, 0x120), (0x0C, 0, 1, 0x130),
                 (0x08, 0, 4, 0x140), (0x09, 0, 4, 0x150), (0x0A, 0, 4, 0x160), (0x10, 0, 4, 0x170),
                 (0x11, 0, 4, 0x180), (0x12, 0, 4, 0x190), (0x13, 0, 4, 0x1A0)]
    for line in range(1, 5):
        for group, extra, size, base in line_rows:
            rows.append((group, line + extra, size, base + size * (line - 1)))
    for group in range(0x14, 0x23):
        rows += [(group, s, 1, 0x200 + 16 * (group - 0x14) + s - 1) for s in range(1, 17)]
    rows += [(0x28, k, 4, 0x320 + 16 * (k - 1)) for k in range(1, 9)]
    rows += [(0x29, k, 8 if k in (5, 6) else 4, 0x3A0 + 16 * (k - 1)) for k in range(1, 7)]
    rows += [(0x0E, k, 4, 0x400 + 4 * k) for k in range(128)]
    rows += [(0x0F, k, 8, 0x600 + 8 * k) for k in range(16)]
    return rows


if model == "karvel":
    UNITS = "2048 blocks of 16 bytes"
    # One block read of 16 bytes: BD, address low and high, count, 15
    # acknowledgements and the check byte go out, each answered.
    WIRE_SECONDS = round_trips_seconds(2048 * 20)
    # One block write of 16 bytes: BE, the address, the count, 16 data bytes
    # and the check byte go out, each answered.
    SEND_WIRE_SECONDS = round_trips_seconds(2048 * 21)
    PAUSE_SECONDS = SEND_PAUSE_SECONDS = 0
else:
    RECORDS = tomrik_records()
    UNITS = f"{len(RECORDS)} records"
    # A record read: the synchronisation byte, group, index (answered with
    # the length), an acknowledgement for each data byte, the check byte.
    WIRE_SECONDS = round_trips_seconds(sum(4 + size for _, _, size, _ in RECORDS))
    # A record write (all but the identity): the synchronisation byte,
    # group, index, length, the data bytes and the check byte.
    SEND_WIRE_SECONDS = round_trips_seconds(sum(5 + size for group, _, size, _ in RECORDS if group != 0x80))
    # The program's own pauses: the bar filled to its end (5 cells of 100
    # ms), and after the station values 500, 500 and 100 ms.
    PAUSE_SECONDS = 0.5
    SEND_PAUSE_SECONDS = 1.1 + 0.5


def sim_help():
    try:
        return subprocess.run([os.path.join(bin_dir, "stationsim"), "--help"], capture_output=True,
                              text=True, timeout=5).stdout
    except (OSError, subprocess.SubprocessError):
        return ""


class Screen:
    def __init__(self, fd):
        self.fd = fd
        self.data = b""

    def wait_for(self, text, timeout):
        want = text.encode()
        end = time.monotonic() + timeout
        while want not in self.data:
            left = end - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"the screen never showed {text!r}")
            r, _, _ = select.select([self.fd], [], [], left)
            if r:
                try:
                    chunk = os.read(self.fd, 65536)
                except OSError:
                    raise TimeoutError("the program ended")
                self.data += chunk

    def drain(self, seconds):
        """Takes what the program shows for a while."""
        end = time.monotonic() + seconds
        while (left := end - time.monotonic()) > 0:
            r, _, _ = select.select([self.fd], [], [], left)
            if r:
                try:
                    self.data += os.read(self.fd, 65536)
                except OSError:
                    return

    def send(self, keys, settle=0.15):
        self.data = b""
        os.write(self.fd, keys)
        time.sleep(settle)


def timed_transfer(screen, downs, done_text, limit):
    """Moves down the menu, chooses the file "bench", answers "y" and gives
    the seconds until the result text."""
    for _ in range(downs):
        screen.send(b"\x1bOB", 0.05)
    screen.send(b"\r")
    screen.wait_for("Колличество файлов", 5)
    screen.send(b"bench\r")
    screen.wait_for("Y/N", 5)
    start = time.monotonic()
    screen.send(b"y", 0)
    screen.wait_for(done_text, 30 + limit)
    seconds = time.monotonic() - start
    # A send that did not reach the station whole says so after the same
    # words.
    screen.drain(0.3)
    if "не полностью".encode() in screen.data:
        sys.exit(f"the transfer did not finish: {done_text} не полностью")
    return seconds


def station_image():
    """The simulator's configuration: a pattern in every setting of the
    model, the rest of the image zero as the programs read it."""
    if model == "karvel":
        image = bytearray((i * 13 + i // 251) & 0xFF for i in range(32768))
        image[0:8] = b"K-T216A4"
        # The station keeps its exchange speed setting at the line speed.
        image[0x29] = {9600: 0, 19200: 1, 38400: 2, 57600: 3}[baud]
        return image
    image = bytearray(2048)
    for n, (_, _, size, offset) in enumerate(RECORDS):
        for i in range(size):
            image[offset + i] = (n * 7 + i * 29 + 1) & 0xFF
    image[0:4] = b"T416"
    return image


# What each program shows: its connection, the entries of the two commands
# counted down from the connection entry, the questions' and results' texts.
PROGRAMS = {
    "karvel": dict(menu="6.Выход", connected="Связь с устройством установлена", to_file_downs=3,
                   to_file_done="Установки записаны в файл", to_station_done="Установки записаны в станцию"),
    "tomrik": dict(menu=" Выход", connected="4800   T416", to_file_downs=1,
                   to_file_done="Установки записаны в файл", to_station_done="Установки загружены в станцию"),
}


def scripted_read(work, link):
    """Runs the program with --read-station into "scripted.set" and gives the
    seconds of the whole command and of its transfer, from the line that
    says the station was found to the end."""
    start = time.monotonic()
    found = books = None
    proc = subprocess.Popen([os.path.join(bin_dir, model), "--read-station", "scripted.set", "--port", link],
                            cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    said = []
    for line in proc.stderr:
        said.append(line)
        if found is None and " found" in line:
            found = time.monotonic()
        # tomrik reads its phone books after the settings: the screen's
        # command does not.
        if books is None and line.rstrip().endswith("reading the phone books"):
            books = time.monotonic()
    status = proc.wait()
    end = time.monotonic()
    if status != 0:
        sys.exit(f"{model} --read-station ended with {status}:\n" + "".join(said[-5:]))
    return end - start, (books or end) - (found or start), end - (books or end)


def one_run(mode):
    program = PROGRAMS[model]
    work = tempfile.mkdtemp(prefix="transfer_bench_")
    try:
        image = station_image()
        with open(os.path.join(work, "station.set"), "wb") as f:
            f.write(image)
        if model == "karvel":
            shutil.copy(os.path.join(bin_dir, "help.txt"), work)
        link = os.path.join(work, "com1")
        sim = subprocess.Popen([os.path.join(bin_dir, "stationsim"), "--model", model, "--link", link,
                                "--baud", str(baud), "--image", os.path.join(work, "station.set")] + mode.split(),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(link):
                break
            time.sleep(0.05)
        pid, fd = pty.fork()
        if pid == 0:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
            os.chdir(work)
            os.environ.update(TERM="xterm-256color", LANG="C.UTF-8", LC_ALL="C.UTF-8", STATION_COM1=link)
            os.execv(os.path.join(bin_dir, model), [model])
        screen = Screen(fd)
        try:
            screen.wait_for(program["menu"], 5)
            screen.send(b"\r")
            screen.wait_for("Инициализация COM порта", 5)
            connect_start = time.monotonic()
            screen.send(b"\r", 0)
            screen.wait_for(program["connected"], 60)
            connect_seconds = time.monotonic() - connect_start
            if model == "karvel":
                screen.send(b"x")
            seconds = timed_transfer(screen, program["to_file_downs"], program["to_file_done"],
                                     4 * WIRE_SECONDS + PAUSE_SECONDS)
            # The same file back to the station, the next entry of the menu.
            screen.send(b"x")
            screen.send(b"\x1b")
            send_seconds = timed_transfer(screen, 1, program["to_station_done"],
                                          8 * SEND_WIRE_SECONDS + SEND_PAUSE_SECONDS)
            screen.send(b"\x1b")
            screen.send(b"\x1b")
            screen.send(b"\r")
        finally:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            os.waitpid(pid, 0)
            os.close(fd)
        # The same station, once the program on the screen has let go of it.
        try:
            scripted = scripted_read(work, link)
        finally:
            sim.terminate()
            sim.wait()
        with open(os.path.join(work, "bench.set"), "rb") as f:
            same = f.read() == bytes(image)
        with open(os.path.join(work, "scripted.set"), "rb") as f:
            same = same and f.read() == bytes(image)
        return seconds, send_seconds, connect_seconds, scripted, same
    finally:
        shutil.rmtree(work, ignore_errors=True)


if not os.path.exists(os.path.join(bin_dir, "stationsim")):
    sys.exit("no stationsim in " + bin_dir)
if not modes:
    modes = [""]
    help_text = sim_help()
    for option in ("--pace", "--pacing", "--paced"):
        if option in help_text:
            modes.append(option)
            break
print(f"{model} station to file: {UNITS} at {baud} baud, wire time {WIRE_SECONDS:.2f} s"
      + (f" (and {PAUSE_SECONDS:.1f} s of the program's pauses)" if PAUSE_SECONDS else ""))
for mode in modes:
    seconds, send_seconds, connect_seconds, (scripted_all, scripted_transfer, scripted_books), same = one_run(mode)
    label = mode or "no pacing"
    print(f"  {label:>12}: {seconds:.2f} s, {seconds / WIRE_SECONDS:.2f} x the wire time"
          f"{'' if same else '  (A FILE DIFFERS FROM THE IMAGE)'}")
    print(f"  {label:>12}  from the command line: {scripted_transfer:.2f} s after the station was found, "
          f"{scripted_all:.2f} s in all"
          + (f" with {scripted_books:.2f} s for the phone books" if scripted_books else "")
          + f"; on the screen {seconds:.2f} s after connecting in {connect_seconds:.2f} s, "
          f"{connect_seconds + seconds:.2f} s in all")
    print(f"  {label:>12}  file to station: {send_seconds:.2f} s, {send_seconds / SEND_WIRE_SECONDS:.2f} x the wire time"
          f" of its writes ({SEND_WIRE_SECONDS:.2f} s"
          + (f", and {SEND_PAUSE_SECONDS:.1f} s of pauses)" if SEND_PAUSE_SECONDS else ")"))
