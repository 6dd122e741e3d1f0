#!/usr/bin/env python3
"""Whole-configuration transfer benchmark of karvel.

Starts the station simulator on a pseudo-terminal with a settings image,
runs karvel on a pseudo-terminal of 80 x 25 with the simulator as its COM1,
connects, and times "4.Пересылка установок из станции в файл" and then
"5.Пересылка установок из файла в станцию" of the same file: from the
answer "y" to the result text. Then, against the same simulator, it times
the same station to file from the command line, `karvel --read-station`:
the whole command (its connection with the speed search included) and its
transfer after the station was found, beside the interactive connection
and transfer. Reports the time, the time the same bytes take on the wire
at the line speed (every byte of the lock-step exchange in turn, 10 bits a
byte), and their ratio, for each simulator mode given. The files read must
equal the simulator's image byte for byte.

Usage: bench/transfer.py [build/bin] [baud] [mode ...]
  a mode is a set of extra simulator options, e.g. "" (no pacing) and
  "--pace" (line-speed pacing); the default runs every mode the simulator
  offers.
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

bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin")
baud = int(sys.argv[2]) if len(sys.argv) > 2 else 57600
modes = sys.argv[3:]

BLOCKS = 2048
# One block read of 16 bytes: BD, address low and high, count, 15
# acknowledgements and the check byte go out; 3 acknowledgements, 16 data
# bytes and the check byte come back.
BYTES_PER_BLOCK = 20 + 20
WIRE_SECONDS = BLOCKS * BYTES_PER_BLOCK * 10 / baud
# One block write of 16 bytes: BE, the address, the count, 16 data bytes and
# the check byte go out, each answered.
SEND_WIRE_SECONDS = BLOCKS * (21 + 21) * 10 / baud


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
    return time.monotonic() - start


def scripted_read(work, link):
    """Runs karvel --read-station into "scripted.set" and gives the seconds
    of the whole command and of its transfer, from the line that says the
    station was found to the end."""
    start = time.monotonic()
    found = None
    proc = subprocess.Popen([os.path.join(bin_dir, "karvel"), "--read-station", "scripted.set", "--port", link],
                            cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    said = []
    for line in proc.stderr:
        said.append(line)
        if found is None and " found" in line:
            found = time.monotonic()
    status = proc.wait()
    end = time.monotonic()
    if status != 0:
        raise RuntimeError(f"karvel --read-station ended with {status}:\n" + "".join(said[-5:]))
    return end - start, end - (found or start)


def one_run(mode):
    work = tempfile.mkdtemp(prefix="transfer_bench_")
    try:
        image = bytearray((i * 13 + i // 251) & 0xFF for i in range(32768))
        image[0:8] = b"K-T216A4"
        # The station keeps its exchange speed setting at the line speed.
        image[0x29] = {9600: 0, 19200: 1, 38400: 2, 57600: 3}[baud]
        with open(os.path.join(work, "station.set"), "wb") as f:
            f.write(image)
        shutil.copy(os.path.join(bin_dir, "help.txt"), work)
        link = os.path.join(work, "com1")
        sim = subprocess.Popen([os.path.join(bin_dir, "stationsim"), "--model", "karvel", "--link", link,
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
            os.execv(os.path.join(bin_dir, "karvel"), ["karvel"])
        screen = Screen(fd)
        try:
            screen.wait_for("6.Выход", 5)
            screen.send(b"\r")
            screen.wait_for("Инициализация COM порта", 5)
            connect_start = time.monotonic()
            screen.send(b"\r", 0)
            screen.wait_for("Связь с устройством установлена", 60)
            connect_seconds = time.monotonic() - connect_start
            screen.send(b"x")
            seconds = timed_transfer(screen, 3, "Установки записаны в файл", 4 * WIRE_SECONDS)
            # The same file back to the station, the next entry of the menu.
            screen.send(b"x")
            screen.send(b"\x1b")
            send_seconds = timed_transfer(screen, 1, "Установки записаны в станцию", 8 * WIRE_SECONDS)
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
print(f"karvel station to file: {BLOCKS} blocks of 16 bytes at {baud} baud, "
      f"wire time {WIRE_SECONDS:.2f} s")
for mode in modes:
    seconds, send_seconds, connect_seconds, (scripted_all, scripted_transfer), same = one_run(mode)
    label = mode or "no pacing"
    print(f"  {label:>12}: {seconds:.2f} s, {seconds / WIRE_SECONDS:.2f} x the wire time"
          f"{'' if same else '  (A FILE DIFFERS FROM THE IMAGE)'}")
    print(f"  {label:>12}  from the command line: {scripted_transfer:.2f} s after the station was found, "
          f"{scripted_all:.2f} s in all; on the screen {seconds:.2f} s after connecting in "
          f"{connect_seconds:.2f} s, {connect_seconds + seconds:.2f} s in all")
    print(f"  {label:>12}  file to station: {send_seconds:.2f} s, {send_seconds / SEND_WIRE_SECONDS:.2f} x the wire time"
          f" of its writes ({SEND_WIRE_SECONDS:.2f} s)")
