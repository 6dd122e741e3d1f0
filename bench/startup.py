#!/usr/bin/env python3
"""Start-up benchmark of the console programs.

Runs a program on a pseudo-terminal of 80 x 25, and reports:
  - the time from start to the first drawn menu (the File menu's last entry
    on the screen),
  - the bytes written to the terminal for one Down key in a menu,
  - the peak resident memory of the process.

Usage: bench/startup.py [build/bin] [karvel|tomrik] [runs]
"""
import fcntl
import os
import pty
import select
import struct
import sys
import termios
import time

bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin")
program = sys.argv[2] if len(sys.argv) > 2 else "karvel"
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
last_entry = {"karvel": "6.Выход", "tomrik": " Выход"}[program].encode()


def read_until(fd, predicate, timeout):
    data = b""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        r, _, _ = select.select([fd], [], [], max(0.0, end - time.monotonic()))
        if not r:
            break
        try:
            chunk = os.read(fd, 65536)
        except OSError:
            break
        if not chunk:
            break
        data += chunk
        if predicate(data):
            break
    return data


def read_quiet(fd, quiet):
    """Reads until nothing more arrives for `quiet` seconds."""
    data = b""
    while True:
        r, _, _ = select.select([fd], [], [], quiet)
        if not r:
            return data
        try:
            chunk = os.read(fd, 65536)
        except OSError:  # the program has ended
            return data
        if not chunk:
            return data
        data += chunk


def one_run():
    start = time.monotonic()
    pid, fd = pty.fork()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
        os.chdir(bin_dir)
        os.environ["TERM"] = "xterm-256color"
        os.environ["LANG"] = os.environ["LC_ALL"] = "C.UTF-8"
        os.execv(os.path.join(bin_dir, program), [program])
    shown = read_until(fd, lambda d: last_entry.decode() in d.decode("utf-8", "ignore"), 5.0)
    drawn = time.monotonic() - start
    shown += read_quiet(fd, 0.2)
    os.write(fd, b"\x1b[B")
    down_bytes = len(read_quiet(fd, 0.3))
    # The high-water mark of the program itself: the fork's copy of this
    # interpreter ends at exec.
    with open(f"/proc/{pid}/status") as status:
        peak_kb = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
    os.write(fd, b"\x1b")
    time.sleep(0.1)
    os.write(fd, b"\x1b")
    time.sleep(0.1)
    os.write(fd, b"\r")
    read_quiet(fd, 0.3)
    os.waitpid(pid, 0)
    os.close(fd)
    return drawn, down_bytes, peak_kb


results = [one_run() for _ in range(runs)]
times = sorted(r[0] for r in results)
print(f"{program}: first menu drawn after {times[len(times) // 2] * 1000:.1f} ms "
      f"(median of {runs}; min {times[0] * 1000:.1f}, max {times[-1] * 1000:.1f})")
print(f"{program}: one Down key in a menu wrote {results[-1][1]} bytes to the terminal")
print(f"{program}: peak resident memory {max(r[2] for r in results) / 1024:.1f} MB")
