#!/usr/bin/env python3
"""The Windows executable under wine, checked against the Linux build of the same sources.

Every check drives the engine through pipes, as an interface does:
  - perft of the first positions of tests/data/perft.epd, against the counts in the file;
  - bench, whose node signature must equal the Linux one;
  - protocol sessions (start-up, a game at "sd", edit mode, input while thinking, pondering,
    quit and the end of input): the output must be byte for byte the Linux build's, the time
    column of thinking lines aside, and no line may end in a carriage return.

Usage: wine_checks.py --linux BUILD/vostrel --exe BUILD/vostrel.exe [--wine wine]
Prints one line per check and ends with status 1 if any failed.
"""

import argparse
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
PERFT_FILE = os.path.join(SOURCE, "tests", "data", "perft.epd")
DEFAULT_INI = os.path.join(SOURCE, "data", "vostrel.ini")

BENCH_SIGNATURE = 17842223
PERFT_POSITIONS = 7
PERFT_NODE_LIMIT = 5_000_000   # the deepest count of each position up to this many nodes
WAIT_SECONDS = 60               # safety net for one awaited line or exit; wine starts slowly

MOVE_LINE = re.compile(r"^\d+\. (\.\.\. )?\S+$")
THINKING_LINE = re.compile(r"^(\s*-?\d+\s+-?\d+\s+)(\d+)(\s+\d+\s)")

failures = 0


def check(passed, what, detail=""):
    global failures
    print(("ok: " if passed else "FAILED: ") + what + ("" if passed or not detail else "\n" + detail))
    sys.stdout.flush()
    if not passed:
        failures += 1


def test_ini(book=False, learning=False, log=False, hash_megabytes=2):
    with open(DEFAULT_INI, "rb") as f:
        text = f.read().decode()
    switch = lambda on: "ON" if on else "OFF"
    text = text.replace("HASHSIZE [2 - 384 MB]=16", "HASHSIZE [2 - 384 MB]=%d" % hash_megabytes)
    text = text.replace("BOOK [ON or OFF]=ON", "BOOK [ON or OFF]=" + switch(book))
    text = text.replace("LEARNING [ON or OFF]=ON", "LEARNING [ON or OFF]=" + switch(learning))
    text = text.replace("LOG-FILE [ON or OFF]=OFF", "LOG-FILE [ON or OFF]=" + switch(log))
    return text.encode()


class Engine:
    """One engine process in its own folder, with pipes on all three streams."""

    def __init__(self, command, folder):
        self.process = subprocess.Popen(command, cwd=folder, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.output = b""
        self.errors = b""
        self.seen = 0   # bytes of output already matched by waits

    def send(self, text):
        try:
            self.process.stdin.write(text.encode() if isinstance(text, str) else text)
            self.process.stdin.flush()
        except BrokenPipeError:
            pass

    def pump(self, timeout):
        streams = [s for s in (self.process.stdout, self.process.stderr) if not s.closed]
        if not streams:
            return False
        ready, _, _ = select.select(streams, [], [], timeout)
        for stream in ready:
            chunk = os.read(stream.fileno(), 65536)
            if not chunk:
                stream.close()
            elif stream is self.process.stdout:
                self.output += chunk
            else:
                self.errors += chunk
        return True

    def wait_for(self, pattern, timeout=WAIT_SECONDS):
        """Waits for a complete output line after the last one matched; returns it or None."""
        deadline = time.monotonic() + timeout
        while True:
            lines = self.output[self.seen:].split(b"\n")
            offset = self.seen
            for line in lines[:-1]:
                offset += len(line) + 1
                if pattern.match(line.decode(errors="replace")):
                    self.seen = offset
                    return line.decode(errors="replace")
            left = deadline - time.monotonic()
            if left <= 0 or not self.pump(min(left, 0.5)) and self.process.poll() is not None:
                return None

    def finish(self, timeout=WAIT_SECONDS, close_input=True):
        """Closes the input (unless told not to), reads everything and returns the exit status."""
        if close_input and not self.process.stdin.closed:
            try:
                self.process.stdin.close()
            except BrokenPipeError:
                pass
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.pump(0.5) and self.process.poll() is not None:
                break
        try:
            return self.process.wait(max(0.1, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return None


def run_session(command, steps, ini=None, args=(), close_input=True):
    """Runs one session: each step is (bytes to send, pattern of the line to await or None).
    Returns (output, errors, exit status, files left in the folder)."""
    folder = tempfile.mkdtemp(prefix="vostrel-wine-")
    try:
        if ini is not None:
            with open(os.path.join(folder, "vostrel.ini"), "wb") as f:
                f.write(ini)
        engine = Engine(command + list(args), folder)
        for text, pattern in steps:
            engine.send(text)
            if pattern is not None and engine.wait_for(pattern) is None:
                break
        status = engine.finish(close_input=close_input)
        files = {}
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), "rb") as f:
                files[name] = f.read()
        return engine.output, engine.errors, status, files
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def timeless(output):
    """The output with the time column of thinking lines blanked: the only part that may differ."""
    lines = output.decode(errors="replace").split("\n")
    return "\n".join(THINKING_LINE.sub(lambda m: m.group(1) + "T" + m.group(3), line) for line in lines)


def with_crlf(steps):
    return [(re.sub("(?<!\r)\n", "\r\n", text), pattern) for text, pattern in steps]


def compare_session(linux, windows, name, steps, ini=None, args=(), expect_status=0, file_bytes=True, crlf=False):
    """The same session on both builds: equal output, the same files (with the same bytes unless
    told otherwise: a log holds times), the expected exit status. With crlf the Windows build is
    sent its lines ending in "\r\n", as Windows interfaces may send them."""
    results = [run_session(linux, steps, ini, args), run_session(windows, with_crlf(steps) if crlf else steps, ini, args)]
    (linux_out, _, linux_status, linux_files), (win_out, win_errors, win_status, win_files) = results
    check(linux_status == expect_status, name + ": the Linux build ends with status %d" % expect_status,
          "status %r" % linux_status)
    check(win_status == expect_status, name + ": ends with status %d" % expect_status,
          "status %r, errors %r" % (win_status, win_errors[-500:]))
    check(b"\r" not in win_out, name + ": no carriage return in the output")
    check(timeless(win_out) == timeless(linux_out), name + ": the output is the Linux build's",
          "--- linux\n%s\n--- windows\n%s" % (timeless(linux_out)[-1500:], timeless(win_out)[-1500:]))
    if file_bytes:
        check(win_files == linux_files, name + ": the files left are the Linux build's",
              "linux %r\nwindows %r" % (sorted(linux_files), sorted(win_files)))
    else:
        check(sorted(win_files) == sorted(linux_files) and not any(b"\r" in b for b in win_files.values()),
              name + ": the same files, no carriage return in them", "linux %r\nwindows %r" % (linux_files, win_files))
    return win_out


def lines(*texts):
    return [(text + "\n", None) for text in texts]


def awaiting_move(text):
    return [(text + "\n", MOVE_LINE)]


def protocol_sessions(linux, windows):
    ini = test_ini()
    # Start-up: nothing printed before a command; the command-line sizes; a missing ini.
    compare_session(linux, windows, "start-up, no arguments", lines("quit"), ini)
    compare_session(linux, windows, "start-up, valid sizes", lines("quit"), ini, args=("131072", "100000"))
    compare_session(linux, windows, "start-up, a size refused", [], ini, args=("100000", "100000"), expect_status=1)
    compare_session(linux, windows, "start-up, no ini file (the default is written)", [], None)
    compare_session(linux, windows, "start-up, the end of input ends the engine", lines("new", "force", "e2e4"), ini)

    # A game at a fixed depth, pondering off: moves, a take-back, "go" after force, a hint, lines
    # ending in "\r\n" as some Windows interfaces send them.
    game = (lines("xboard", "new", "easy", "sd 3") + awaiting_move("e2e4") + awaiting_move("d2d4") +
            lines("hint", "remove") + awaiting_move("g1f3") +
            [("b1c3\r\n", MOVE_LINE)] + lines("force", "undo", "undo") + awaiting_move("go") + lines("quit"))
    compare_session(linux, windows, "a game at sd 3", game, ini)

    # Edit mode: a king-and-rooks position with castling rights, then the engine moves.
    # White castles in force mode with the right edit mode granted, and the engine answers.
    edit = (lines("new", "easy", "force", "edit", "#", "Ke1", "Ra1", "Rh1", "Pa2", "Pb2", "c", "Ke8", "Ra8", "Pa7",
                  ".", "e1g1", "sd 3") + awaiting_move("go") + lines("hint", "quit"))
    compare_session(linux, windows, "edit mode", edit, ini)
    compare_session(linux, windows, "edit mode, lines ending in \\r\\n", edit, ini, crlf=True)
    compare_session(linux, windows, "a game at sd 3, lines ending in \\r\\n", game, ini, crlf=True)

    # Logging: the log file's bytes are the Linux build's too (lines end in "\n").
    compare_session(linux, windows, "a game with the log file", lines("new", "easy", "sd 2") + awaiting_move("e2e4") +
                    lines("quit"), test_ini(log=True), file_bytes=False)


def timed_sessions(windows):
    """Sessions whose output depends on time: checked for their shape, not their bytes."""
    ini = test_ini()
    # Input while the engine thinks on its own time stops the search: the move comes at once.
    started = time.monotonic()
    output, _, status, _ = run_session(windows, lines("new", "easy", "st 60") +
                                       [("go\n", re.compile(r"^\s*\d+\s+-?\d+\s+\d+\s+\d+\s")), ("?\n", MOVE_LINE)] +
                                       lines("quit"), ini)
    spent = time.monotonic() - started
    moved = any(MOVE_LINE.match(line) for line in output.decode().split("\n"))
    check(status == 0 and moved and spent < 30, "input while thinking: a line makes the engine move at once",
          "status %r, %.1f s, output %r" % (status, spent, output[-300:]))

    # Pondering: the hint comes, and a "quit" sent while it ponders ends the engine.
    started = time.monotonic()
    output, _, status, _ = run_session(windows, lines("new", "hard", "st 1") +
                                       [("e2e4\n", re.compile(r"^Hint: \S+$"))] + lines("quit"), ini,
                                       close_input=False)
    spent = time.monotonic() - started
    check(status == 0 and b"Hint: " in output and spent < 90, "pondering: quit while pondering ends the engine",
          "status %r, %.1f s, output %r" % (status, spent, output[-300:]))

    # The single search of a setboard run, without reading its input.
    output, _, status, _ = run_session(windows, [], ini, args=("setboard 4k3/8/8/8/8/8/4P3/4K3 w - -",),
                                       close_input=False)
    text = output.decode()
    check(status == 0 and text.startswith("Hello from Vostrel!\n") and MOVE_LINE.match(text.rstrip("\n").split("\n")[-1])
          is not None, "setboard run: one search and its move", "status %r, output %r" % (status, text[-300:]))


def perft_checks(windows):
    with open(PERFT_FILE) as f:
        positions = [line.strip() for line in f if line.strip()][:PERFT_POSITIONS]
    for entry in positions:
        fields = entry.split(";")
        fen = fields[0].strip()
        counts = [(int(d.split()[0][1:]), int(d.split()[1])) for d in fields[1:]]
        depth, expected = max((d, n) for d, n in counts if n <= PERFT_NODE_LIMIT)
        run = subprocess.run(windows + ["perft", str(depth)] + fen.split(), capture_output=True, timeout=600)
        found = re.search(rb"^Nodes: (\d+)\r?$", run.stdout, re.M)
        nodes = int(found.group(1)) if found else None
        check(run.returncode == 0 and nodes == expected, "perft %d of %s: %d" % (depth, fen, expected),
              "got %r, status %d" % (nodes, run.returncode))


def bench_check(windows):
    started = time.monotonic()
    run = subprocess.run(windows + ["bench"], capture_output=True, timeout=1200)
    spent = time.monotonic() - started
    found = re.search(rb"^Nodes: (\d+)$", run.stdout, re.M)
    nps = re.search(rb"^NPS: (\d+)$", run.stdout, re.M)
    nodes = int(found.group(1)) if found else None
    check(run.returncode == 0 and nodes == BENCH_SIGNATURE, "bench: the node signature %d" % BENCH_SIGNATURE,
          "got %r, status %d" % (nodes, run.returncode))
    print("   bench under wine: %.1f s, %s nodes per second" % (spent, nps.group(1).decode() if nps else "?"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--linux", required=True, help="the Linux build of the same sources")
    parser.add_argument("--exe", required=True, help="the Windows executable")
    parser.add_argument("--wine", default="wine", help="the wine command")
    parser.add_argument("--skip-bench", action="store_true")
    options = parser.parse_args()
    windows = [options.wine, os.path.abspath(options.exe)]
    linux = [os.path.abspath(options.linux)]

    protocol_sessions(linux, windows)
    timed_sessions(windows)
    perft_checks(windows)
    if not options.skip_bench:
        bench_check(windows)
    print("all wine checks passed" if failures == 0 else "%d wine checks FAILED" % failures)
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
