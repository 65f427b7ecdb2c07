#!/usr/bin/env python3
"""Runs the real Tankora binary in an X server of its own and uses it as a person would:
clicks the buttons at their places, types into the entry dialog, answers the message
boxes, closes and maximizes the window through the window manager. Every result is
checked against the bytes on disk, read by the small reader of the log format below
(written from the format's description, sharing nothing with the program's code).

    tankora_e2e.py SCENARIO --binary PATH --hold-lock PATH --artifacts DIR

A window manager (openbox) runs on the display because the close box and maximizing are
its commands (wmctrl asks it, it sends the window WM_DELETE_WINDOW or resizes it); it
also gives new windows the keyboard focus, as a desktop does. The report's default viewer
is a stub first on PATH, and the program gets no session bus or desktop variables, so
opening the page reaches that stub and nothing of the machine's own desktop. The message
box that names the database is read back with OCR (tesseract), the only way to see its
text from outside the program.

Each run has its own home, data, config and temp folders and its own display; it starts
and stops every process it needs and fails with a screenshot and the window list when a
step does not happen before its deadline.
"""

import argparse
import datetime
import difflib
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse

# ---------------------------------------------------------------------------------------
# The log file, read and written independently of the program.

HEADER_LENGTH = 112
FIELD_ENTRY_LENGTH = 72
MAGIC = b"WEDB"
FORMAT_VERSION = 0x00010000
CREATED_AT = bytes.fromhex("50FAA48FFE57E340")
RECORD_LENGTH = 85
DATA_START = 836
TYPE_WIDTHS = {1: 1, 2: 2, 3: 4, 4: 8, 5: 4, 6: 8, 7: 1, 8: 8, 9: 4, 11: 4, 12: 4}

# (name, type code, offset, text width) of the ten fields of an entry, in stored order.
LOG_FIELDS = [
    ("序号", 3, 4, 0),
    ("日期", 8, 8, 0),
    ("里程表读数", 6, 16, 0),
    ("行使里程", 6, 24, 0),
    ("加油量", 6, 32, 0),
    ("燃油类型", 10, 40, 20),
    ("金额", 6, 60, 0),
    ("加满", 7, 68, 0),
    ("油耗估计", 6, 69, 0),
    ("单价", 6, 77, 0),
]

NOTICE_TEXT = "本目录为数据保存目录,用户请勿手动修改或删除本目录下任何文件,以免相应的软件运行出错\r\n"
DAY_ZERO = datetime.datetime(1899, 12, 30)


def gbk(text):
    return text.encode("gbk")


def template_bytes():
    """The empty log as the format describes it, byte by byte."""
    header = MAGIC + struct.pack("<i", FORMAT_VERSION) + CREATED_AT
    header += struct.pack("<iii", 0, 1, RECORD_LENGTH)
    header += bytes(HEADER_LENGTH - len(header))
    table = struct.pack("<i", len(LOG_FIELDS))
    for name, code, offset, width in LOG_FIELDS:
        table += gbk(name).ljust(20, b"\0") + struct.pack("<iii", code, offset, width) + bytes(40)
    return header + table


class LogFile:
    """A parsed log: header values, field table and records as {field name: value}."""

    def __init__(self, data):
        if len(data) < HEADER_LENGTH + 4 or data[:4] != MAGIC:
            raise AssertionError(f"not a log file ({len(data)} bytes, starts {data[:4]!r})")
        self.data = data
        self.format_version, = struct.unpack_from("<i", data, 4)
        self.stored_records, self.next_record_id, self.record_length = struct.unpack_from("<iii", data, 16)
        field_count, = struct.unpack_from("<i", data, HEADER_LENGTH)
        self.fields = []
        for i in range(field_count):
            at = HEADER_LENGTH + 4 + i * FIELD_ENTRY_LENGTH
            raw_name = data[at:at + 20]
            code, offset, width = struct.unpack_from("<iii", data, at + 20)
            name = raw_name.split(b"\0", 1)[0].decode("gbk")
            self.fields.append((name, code, offset, width if code == 10 else TYPE_WIDTHS[code]))
        self.data_start = HEADER_LENGTH + 4 + field_count * FIELD_ENTRY_LENGTH
        self.records = []
        for n in range(self.stored_records):
            start = self.data_start + n * self.record_length
            raw = data[start:start + self.record_length]
            if len(raw) != self.record_length:
                raise AssertionError(f"record {n + 1} is cut short")
            record = {"recordId": struct.unpack_from("<i", raw, 0)[0], "raw": raw}
            for name, code, offset, width in self.fields:
                record[name] = decode_field(code, raw[offset:offset + width])
            self.records.append(record)

    @staticmethod
    def read(path):
        with open(path, "rb") as file:
            return LogFile(file.read())


def decode_field(code, raw):
    if code == 3:
        return struct.unpack("<i", raw)[0]
    if code in (6, 8):
        return struct.unpack("<d", raw)[0]
    if code == 7:
        return raw[0] != 0
    if code == 10:
        return raw.split(b"\0", 1)[0].decode("gbk")
    raise AssertionError(f"field type {code} is not used by the log")


def encode_record(record_id, values):
    raw = bytearray(RECORD_LENGTH)
    struct.pack_into("<i", raw, 0, record_id)
    for name, code, offset, width in LOG_FIELDS:
        value = values[name]
        if code == 3:
            struct.pack_into("<i", raw, offset, value)
        elif code in (6, 8):
            struct.pack_into("<d", raw, offset, value)
        elif code == 7:
            raw[offset] = 1 if value else 0
        else:
            text = gbk(value)[:width]
            raw[offset:offset + len(text)] = text
    return bytes(raw)


def log_bytes(entries):
    """A log holding the entries (dicts by field name), ids and serials 1 ... n."""
    data = bytearray(template_bytes())
    struct.pack_into("<ii", data, 16, len(entries), len(entries) + 1)
    for n, values in enumerate(entries, start=1):
        data += encode_record(n, dict(values, 序号=n))
    return bytes(data)


def utc_now():
    return datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)


def day_count(moment):
    return (moment - DAY_ZERO) / datetime.timedelta(days=1)


def read_settings(path):
    """The [section] key=value pairs of an INI file of GBK bytes."""
    sections, current = {}, None
    with open(path, "rb") as file:
        for line in file.read().decode("gbk").splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1], {})
            elif "=" in line and current is not None:
                key, value = line.split("=", 1)
                current[key.strip()] = value.strip()
    return sections


# Three full fills, seeded into the log of the scenarios that start from entries. The
# stored distance and estimate are deliberately not 0: the program must never show them.
SEED_ENTRIES = [
    {"日期": day_count(datetime.datetime(2026, 3, 1, 8, 30)), "里程表读数": 12000.0, "行使里程": 111.0,
     "加油量": 40.0, "燃油类型": "93", "金额": 300.0, "加满": True, "油耗估计": 222.0, "单价": 7.5},
    {"日期": day_count(datetime.datetime(2026, 3, 15, 18, 5)), "里程表读数": 12500.0, "行使里程": 111.0,
     "加油量": 38.0, "燃油类型": "97", "金额": 304.0, "加满": True, "油耗估计": 222.0, "单价": 8.0},
    {"日期": day_count(datetime.datetime(2026, 3, 29, 12, 0)), "里程表读数": 13100.0, "行使里程": 111.0,
     "加油量": 45.0, "燃油类型": "93", "金额": 337.5, "加满": True, "油耗估计": 222.0, "单价": 7.5},
]
# What the list shows for them: the distance from the previous reading, and the
# full-to-full estimate 45 / 600 x 100 on the row that opens the interval.
SEED_ROWS = [
    ["1", "2026年3月1日", "12000公里", "未知", "40升", "93号", "300元", "是", "不可计算"],
    ["2", "2026年3月15日", "12500公里", "500公里", "38升", "97号", "304元", "是", "7.5升/百公里"],
    ["3", "2026年3月29日", "13100公里", "600公里", "45升", "93号", "337.5元", "是", "不可计算"],
]
COLUMNS = [("序号", 50), ("日期", 100), ("里程表读数", 90), ("行使里程", 90), ("加油量", 60),
           ("燃油类型", 65), ("金额", 65), ("加满", 50), ("油耗估计", 100)]

# ---------------------------------------------------------------------------------------
# Places of the controls in client coordinates: the centre of each control's design box.

MAIN_TITLE = "Tankora v3.0"
ADD_BUTTON = (467 + 34, 410 + 12)
MODIFY_BUTTON = (537 + 34, 410 + 12)
DELETE_BUTTON = (607 + 34, 410 + 12)
REPORT_BUTTON = (537 + 34, 441 + 12)
CLOSE_BUTTON = (607 + 34, 441 + 12)
MAIN_CLIENT_SIZE = (698, 482)
LIST_PLACE = (2, 2, 694, 402)
# The list without its serial column, where the focus frame of the current cell is drawn
# whenever the list holds the focus.
LIST_ROWS_BESIDE_SERIALS = (2 + 52, 2, 694 - 52, 402)

ODOMETER_BOX = (93 + 68, 34 + 11)
FUEL_TYPE_BOX = (93 + 50, 61 + 10)  # the edit part, left of the arrow
UNIT_PRICE_BOX = (93 + 68, 84 + 11)
AMOUNT_BOX = (93 + 68, 112 + 11)
LITRES_BOX = (93 + 68, 141 + 11)
OK_BUTTON = (93 + 35, 206 + 12)
CANCEL_BUTTON = (167 + 32, 206 + 12)
DIALOG_CLIENT_SIZE = (295, 249)

SCREEN_SIZE = (1280, 800)
WAIT_SECONDS = float(os.environ.get("TANKORA_E2E_WAIT", "45"))


class E2EFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise E2EFailure(message)


def run(args, env, check_rc=True, timeout=30):
    result = subprocess.run(args, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            stdin=subprocess.DEVNULL, timeout=timeout)
    if check_rc and result.returncode != 0:
        raise E2EFailure(f"{' '.join(args)} failed ({result.returncode}): {result.stderr.decode(errors='replace')}")
    return result.stdout.decode("utf-8", errors="replace")


class Session:
    """One display, one window manager, the program started as often as the scenario
    needs, and the temporary folders the program sees as home."""

    def __init__(self, name, binary, hold_lock, artifacts):
        self.name = name
        self.binary = binary
        self.hold_lock_binary = hold_lock
        self.artifacts = artifacts
        self.root = tempfile.mkdtemp(prefix=f"tankora-e2e-{name}-")
        self.home = self.mkdir("home")
        self.data_home = self.mkdir("data")
        self.config_home = self.mkdir("config")
        self.temp = self.mkdir("tmp")
        self.runtime = self.mkdir("runtime")
        os.chmod(self.runtime, 0o700)
        self.stub_bin = self.mkdir("bin")
        self.processes = []  # everything started here, stopped in reverse order
        self.stray_pids = []  # processes the program started that the session must end
        self.display = None
        self.app = None
        self.app_log = None
        self.write_viewer_stub()

    def mkdir(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path)
        return path

    # Where the program keeps things for this home.
    @property
    def data_root(self):
        return os.path.join(self.data_home, "Ravelt")

    @property
    def database(self):
        return os.path.join(self.data_root, "Tankora", "car.mdb")

    @property
    def settings(self):
        return os.path.join(self.data_root, "Raveltsoft.p")

    @property
    def report(self):
        return os.path.join(self.temp, "tmp.htm")

    def tool_env(self):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.home, "LC_ALL": "C.UTF-8",
               "TMPDIR": self.temp}
        if self.display is not None:
            env["DISPLAY"] = self.display
        return env

    def app_env(self):
        # No session bus, desktop or browser variables: opening the report must reach the
        # viewer stub first on PATH and nothing of the machine's own desktop.
        env = self.tool_env()
        env.update({
            "PATH": self.stub_bin + os.pathsep + env["PATH"],
            "XDG_DATA_HOME": self.data_home,
            "XDG_CONFIG_HOME": self.config_home,
            "XDG_RUNTIME_DIR": self.runtime,
            "QT_QPA_PLATFORM": "xcb",
            "TZ": "UTC",
        })
        return env

    def write_viewer_stub(self):
        # A default viewer that records what it was asked to open, then takes its time.
        stub = os.path.join(self.stub_bin, "xdg-open")
        with open(stub, "w") as file:
            file.write("#!/bin/sh\n"
                       f"echo $$ > '{self.root}/viewer.pid'\n"
                       f"printf '%s\\n' \"$@\" > '{self.root}/viewer.args.part'\n"
                       f"mv '{self.root}/viewer.args.part' '{self.root}/viewer.args'\n"
                       "exec sleep 120\n")
        os.chmod(stub, 0o755)

    # -- processes -----------------------------------------------------------------

    def start(self, args, env, **kwargs):
        process = subprocess.Popen(args, env=env, stdin=kwargs.pop("stdin", subprocess.DEVNULL), **kwargs)
        self.processes.append(process)
        return process

    def start_display(self):
        read_end, write_end = os.pipe()
        self.xvfb_log = open(os.path.join(self.root, "xvfb.log"), "wb")
        self.start(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset",
                    "-screen", "0", f"{SCREEN_SIZE[0]}x{SCREEN_SIZE[1]}x24"],
                   self.tool_env(), pass_fds=[write_end], stdout=self.xvfb_log, stderr=subprocess.STDOUT)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + WAIT_SECONDS
        while not number.endswith(b"\n"):
            check(time.monotonic() < deadline, "Xvfb did not report its display number")
            chunk = os.read(read_end, 16)
            check(chunk, "Xvfb ended before it reported its display number")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

        # A window manager gives the window its close box and its maximize command.
        self.wm_log = open(os.path.join(self.root, "openbox.log"), "wb")
        self.start(["openbox", "--sm-disable"], self.tool_env(), stdout=self.wm_log, stderr=subprocess.STDOUT)
        self.wait_for("the window manager", lambda: "window id" in run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], self.tool_env(), check_rc=False))

    def start_app(self):
        check(self.app is None or self.app.poll() is not None, "the program is already running")
        self.app_log = open(os.path.join(self.root, "app.log"), "ab")
        self.app = self.start([self.binary], self.app_env(), cwd=self.home, stdout=self.app_log,
                              stderr=subprocess.STDOUT)
        return self.wait_for_window(MAIN_TITLE)

    def wait_app_exit(self):
        self.wait_for("the program to end", lambda: self.app.poll() is not None, check_alive=False)
        return self.app.returncode

    def hold_lock(self, path):
        holder = self.start([self.hold_lock_binary, path], self.tool_env(), stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if holder.stdout.readline() != b"locked\n":
            holder.wait(timeout=WAIT_SECONDS)
            raise E2EFailure(f"the lock holder did not lock: {holder.stderr.read().decode(errors='replace')}")
        return holder

    @staticmethod
    def release_lock(holder):
        holder.stdin.close()
        holder.wait(timeout=WAIT_SECONDS)

    def stop(self):
        for pid in self.stray_pids:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        for stream in ("app_log", "xvfb_log", "wm_log"):
            handle = getattr(self, stream, None)
            if handle:
                handle.close()

    def cleanup(self):
        shutil.rmtree(self.root, ignore_errors=True)

    # -- waiting -------------------------------------------------------------------

    def wait_for(self, what, probe, timeout=None, check_alive=True):
        deadline = time.monotonic() + (timeout or WAIT_SECONDS)
        while True:
            value = probe()
            if value:
                return value
            if check_alive and self.app is not None and self.app.poll() is not None:
                raise E2EFailure(f"the program ended (exit code {self.app.returncode}) while waiting for {what}")
            if time.monotonic() > deadline:
                raise E2EFailure(f"timed out waiting for {what}")
            time.sleep(0.1)

    # -- windows -------------------------------------------------------------------

    def app_windows(self):
        """The program's visible windows as (id, title)."""
        if self.app is None or self.app.poll() is not None:
            return []
        out = run(["xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid)], self.tool_env(),
                  check_rc=False)
        windows = []
        for line in out.split():
            title = self.window_title(line)
            if title is not None:
                windows.append((line, title))
        return windows

    def window_title(self, window):
        out = run(["xprop", "-id", window, "-notype", "_NET_WM_NAME"], self.tool_env(), check_rc=False)
        match = re.search(r'= "(.*)"$', out.strip())
        return match.group(1) if match else None

    def find_window(self, title):
        for window, shown in self.app_windows():
            if shown == title:
                return window
        return None

    def geometry(self, window):
        out = run(["xwininfo", "-id", window], self.tool_env())
        values = {}
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            values[key] = int(re.search(re.escape(key) + r":\s+(-?\d+)", out).group(1))
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"], values["Height"])

    def focused_window(self):
        return run(["xdotool", "getwindowfocus"], self.tool_env(), check_rc=False).strip()

    def wait_for_window(self, title):
        """The window once it is shown, placed and holds the keyboard focus."""
        window = self.wait_for(f"a window titled {title!r}", lambda: self.find_window(title))
        last = [None]
        shown = time.monotonic()

        def settled():
            place = self.geometry(window)
            steady, last[0] = place == last[0], place
            if not steady:
                return False
            if self.focused_window() == window:
                return True
            # The window manager focuses new windows; should it hold back, do as a user
            # would and bring the window to the front.
            if time.monotonic() - shown > 5:
                run(["wmctrl", "-i", "-a", window], self.tool_env(), check_rc=False)
            return False

        self.wait_for(f"the window {title!r} to settle and take the focus", settled)
        return window

    def wait_window_gone(self, window, what):
        self.wait_for(what, lambda: window not in [w for w, _ in self.app_windows()])

    def window_state(self, window):
        return run(["xprop", "-id", window, "_NET_WM_STATE"], self.tool_env(), check_rc=False)

    # -- input ---------------------------------------------------------------------

    def click(self, window, place, repeat=1):
        args = ["xdotool", "mousemove", "--window", window, str(place[0]), str(place[1]), "click"]
        if repeat > 1:
            args += ["--repeat", str(repeat), "--delay", "90"]
        run(args + ["1"], self.tool_env())

    def key(self, *keys):
        run(["xdotool", "key", "--delay", "60", *keys], self.tool_env())

    def type_into(self, window, place, text, replace=False):
        self.click(window, place)
        if replace:
            self.key("ctrl+a")
        run(["xdotool", "type", "--delay", "40", text], self.tool_env())

    def close_box(self, window):
        # What the title bar's close box does: the window manager asks the window to close.
        run(["wmctrl", "-i", "-c", window], self.tool_env())

    # -- pictures ------------------------------------------------------------------

    def clear_artifacts(self):
        os.makedirs(self.artifacts, exist_ok=True)
        for name in os.listdir(self.artifacts):
            if name.startswith(self.name + "-"):
                os.remove(os.path.join(self.artifacts, name))

    def screenshot(self, window, name):
        os.makedirs(self.artifacts, exist_ok=True)
        path = os.path.join(self.artifacts, f"{self.name}-{name}.png")
        run(["import", "-window", window, path], self.tool_env())
        return path

    def pixels(self, window, crop):
        """RGB rows of a part of a window, (left, top, width, height) in its client area."""
        left, top, width, height = crop
        data = subprocess.run(["import", "-window", window, "-crop", f"{width}x{height}+{left}+{top}",
                               "-depth", "8", "ppm:-"], env=self.tool_env(), stdout=subprocess.PIPE,
                              check=True, timeout=30).stdout
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        check(match, "the screenshot is not a picture")
        w, h = int(match.group(1)), int(match.group(2))
        body = data[match.end():]
        return [[tuple(body[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x in range(w)] for y in range(h)]

    def steady_pixels(self, window, crop):
        """A part of a window once two pictures of it in a row agree (painting is done)."""
        last = [None]

        def steady():
            picture = self.pixels(window, crop)
            same, last[0] = picture == last[0], picture
            return same

        self.wait_for("the window to finish painting", steady)
        return last[0]

    def list_rows_shown(self, window):
        """The number of rows drawn in the log list, counted from its grid lines."""
        left, top, width, height = LIST_PLACE
        column = [row[0] for row in self.pixels(window, (left + 45, top, 1, height))]
        # The header ends in a dark line and every row in a grey grid line, each a pixel or
        # two high; a longer dark run is the fill of a selected row, not a line.
        # The list's own frame at its top and bottom is left out.
        dark = [3 < y < height - 4 and max(pixel) < 0xD8 for y, pixel in enumerate(column)] + [False]
        lines, start = [], None
        for y, is_dark in enumerate(dark):
            if is_dark and start is None:
                start = y
            elif not is_dark and start is not None:
                if y - start <= 3:
                    lines.append((start + y - 1) // 2)
                start = None
        return max(0, len(lines) - 1), lines

    def row_centre(self, window, row):
        _, lines = self.list_rows_shown(window)
        check(len(lines) > row, f"the list shows no row {row}")
        left, top, _, _ = LIST_PLACE
        return (left + 25, top + (lines[row - 1] + lines[row]) // 2)

    def ocr(self, window):
        """The text of a window as OCR reads it."""
        picture = self.screenshot(window, "box")
        bigger = os.path.join(self.root, "box-large.png")
        run(["convert", picture, "-scale", "300%", bigger], self.tool_env())
        return run(["tesseract", bigger, "stdout"], self.tool_env(), timeout=60)

    # -- failure -------------------------------------------------------------------

    def record_failure(self):
        lines = [f"scenario {self.name} failed; display {self.display}; files in {self.root}"]
        if self.display:
            try:
                os.makedirs(self.artifacts, exist_ok=True)
                shot = os.path.join(self.artifacts, f"{self.name}-failure.png")
                run(["import", "-window", "root", shot], self.tool_env())
                lines.append(f"screenshot: {shot}")
                out = run(["xdotool", "search", "--onlyvisible", "--name", "."], self.tool_env(), check_rc=False)
                lines.append("visible windows:")
                for window in out.split():
                    try:
                        lines.append(f"  {window} {self.window_title(window)!r} {self.geometry(window)}")
                    except (E2EFailure, AttributeError):
                        lines.append(f"  {window} (gone)")
                lines.append(f"focus: {self.focused_window()}")
            except Exception as error:  # the report of a failure must not hide it
                lines.append(f"(could not look at the screen: {error})")
        if self.app is not None:
            lines.append(f"program exit code: {self.app.poll()}")
            log = os.path.join(self.root, "app.log")
            if os.path.exists(log):
                with open(log, "rb") as file:
                    lines.append("program output:\n" + file.read()[-2000:].decode(errors="replace"))
        for path in (self.database, self.settings, self.report):
            lines.append(f"{path}: {os.path.getsize(path) if os.path.exists(path) else 'missing'}")
        text = "\n".join(lines)
        if self.artifacts:
            with open(os.path.join(self.artifacts, f"{self.name}-failure.txt"), "w") as file:
                file.write(text + "\n")
        print(text, file=sys.stderr)


# ---------------------------------------------------------------------------------------
# Steps shared by the scenarios.

def seed_log(session, entries):
    os.makedirs(os.path.dirname(session.database), exist_ok=True)
    data = log_bytes(entries)
    with open(session.database, "wb") as file:
        file.write(data)
    return data


def read_file(path):
    with open(path, "rb") as file:
        return file.read()


def open_dialog(session, main, button, title):
    session.click(main, button)
    return session.wait_for_window(title)


def fill_entry(session, dialog, odometer, unit_price, amount, fuel_type=None, not_full=False):
    session.type_into(dialog, ODOMETER_BOX, odometer, replace=True)
    if fuel_type is not None:
        session.type_into(dialog, FUEL_TYPE_BOX, fuel_type, replace=True)
    session.type_into(dialog, UNIT_PRICE_BOX, unit_price, replace=True)
    session.type_into(dialog, AMOUNT_BOX, amount, replace=True)
    if not_full:
        # From the fuel type box the tab reaches the full-tank list; Down picks "否".
        session.click(dialog, FUEL_TYPE_BOX)
        session.key("Tab", "Down")


def press_ok_and_wait_saved(session, dialog, records_expected):
    session.click(dialog, OK_BUTTON)
    session.wait_window_gone(dialog, "the dialog to close after OK")
    session.wait_for(f"the log to hold {records_expected} records",
                     lambda: LogFile.read(session.database).stored_records == records_expected)
    return LogFile.read(session.database)


def answer_box(session, title):
    """Waits for a message box and presses its default button with Enter."""
    box = session.wait_for_window(title)
    session.key("Return")
    session.wait_window_gone(box, f"the box {title!r} to close")


def assert_close(actual, expected, what, tolerance=1e-9):
    check(abs(actual - expected) <= tolerance, f"{what}: {actual!r}, expected {expected!r}")


def assert_entry(record, what, **expected):
    for key, value in expected.items():
        name = {"odometer": "里程表读数", "litres": "加油量", "amount": "金额", "unit_price": "单价",
                "fuel_type": "燃油类型", "full": "加满", "serial": "序号", "distance": "行使里程",
                "estimate": "油耗估计"}[key]
        if isinstance(value, float):
            assert_close(record[name], value, f"{what} {name}")
        else:
            check(record[name] == value, f"{what} {name}: {record[name]!r}, expected {value!r}")


def assert_dated_now(record, since, what):
    now = day_count(utc_now())
    stored = record["日期"]
    check(since - 1 / 1440 <= stored <= now + 1 / 1440,
          f"{what} date {stored!r} does not lie between {since!r} and {now!r} (the dialog's current time)")


def assert_settings(session, key, value):
    check(os.path.exists(session.settings), f"no settings file at {session.settings}")
    section = read_settings(session.settings).get("Tankora", {})
    check(section.get(key) == value, f"settings [Tankora] {key} = {section.get(key)!r}, expected {value!r}")


# ---------------------------------------------------------------------------------------
# Scenarios.

def first_start(session):
    main = session.start_app()
    check(session.geometry(main)[2:] == MAIN_CLIENT_SIZE,
          f"main window client size {session.geometry(main)[2:]}, expected {MAIN_CLIENT_SIZE}")
    notice = os.path.join(session.data_root, "用户注意.txt")
    check(os.path.isdir(os.path.dirname(session.database)), "the data folder was not made")
    check(os.path.exists(notice) and read_file(notice) == gbk(NOTICE_TEXT), "the notice file is missing or wrong")
    check(read_file(session.database) == template_bytes(), "car.mdb is not the 836-byte empty log")
    log = LogFile.read(session.database)
    check((log.stored_records, log.next_record_id, log.data_start) == (0, 1, DATA_START), "the empty log's header")
    check(not os.path.exists(session.settings), "the settings file exists before the window closed")

    # The close box: the window manager's close request ends the program.
    session.close_box(main)
    check(session.wait_app_exit() == 0, f"exit code {session.app.returncode} after the close box")
    assert_settings(session, "位置", "0")

    # The Close button, on a log that now exists and must stay as it is.
    os.remove(session.settings)
    main = session.start_app()
    session.click(main, CLOSE_BUTTON)
    check(session.wait_app_exit() == 0, f"exit code {session.app.returncode} after the Close button")
    assert_settings(session, "位置", "0")
    check(read_file(session.database) == template_bytes(), "a second start changed the empty log")


def add_entries(session):
    main = session.start_app()
    started = day_count(utc_now())

    dialog = open_dialog(session, main, ADD_BUTTON, "添加")
    check(session.geometry(dialog)[2:] == DIALOG_CLIENT_SIZE,
          f"dialog client size {session.geometry(dialog)[2:]}, expected {DIALOG_CLIENT_SIZE}")
    fill_entry(session, dialog, "1000", "7.5", "300")
    press_ok_and_wait_saved(session, dialog, 1)

    dialog = open_dialog(session, main, ADD_BUTTON, "添加")
    fill_entry(session, dialog, "1500", "8", "400", fuel_type="97", not_full=True)
    session.screenshot(dialog, "entry-dialog")
    press_ok_and_wait_saved(session, dialog, 2)

    dialog = open_dialog(session, main, ADD_BUTTON, "添加")
    # The dialog remembers the fuel type shown last; this entry goes back to 93.
    fill_entry(session, dialog, "2100", "7.6", "380", fuel_type="93")
    log = press_ok_and_wait_saved(session, dialog, 3)

    check(log.next_record_id == 4, f"nextRecordId {log.next_record_id}, expected 4")
    check(len(read_file(session.database)) == DATA_START + 3 * RECORD_LENGTH, "the file length")
    check([r["recordId"] for r in log.records] == [1, 2, 3], "record ids")
    expected = [
        dict(serial=1, odometer=1000.0, unit_price=7.5, amount=300.0, litres=40.0, fuel_type="93", full=True),
        dict(serial=2, odometer=1500.0, unit_price=8.0, amount=400.0, litres=50.0, fuel_type="97", full=False),
        dict(serial=3, odometer=2100.0, unit_price=7.6, amount=380.0, litres=50.0, fuel_type="93", full=True),
    ]
    for n, (record, values) in enumerate(zip(log.records, expected), start=1):
        assert_entry(record, f"entry {n}", distance=0.0, estimate=0.0, **values)
        assert_dated_now(record, started, f"entry {n}")
    session.wait_for("the list to show three rows", lambda: session.list_rows_shown(main)[0] == 3)
    session.screenshot(main, "main-window")

    session.click(main, CLOSE_BUTTON)
    check(session.wait_app_exit() == 0, "exit code after Close")
    assert_settings(session, "油耗信息.燃油类型", "93")


def modify_entry(session):
    seeded = seed_log(session, SEED_ENTRIES)
    main = session.start_app()
    session.wait_for("the list to show the seeded rows", lambda: session.list_rows_shown(main)[0] == 3)

    session.click(main, session.row_centre(main, 2), repeat=2)
    dialog = session.wait_for_window("修改")
    session.type_into(dialog, ODOMETER_BOX, "12600", replace=True)
    session.type_into(dialog, UNIT_PRICE_BOX, "8.5", replace=True)
    session.type_into(dialog, AMOUNT_BOX, "340", replace=True)
    session.click(dialog, OK_BUTTON)
    session.wait_window_gone(dialog, "the dialog to close after OK")
    session.wait_for("the second entry to change",
                     lambda: LogFile.read(session.database).records[1]["里程表读数"] == 12600.0)

    log = LogFile.read(session.database)
    check(log.stored_records == 3 and log.next_record_id == 4, "a modification changed the record count or ids")
    second = log.records[1]
    check(second["recordId"] == 2, f"the modified entry's id is {second['recordId']}")
    assert_entry(second, "the modified entry", serial=2, odometer=12600.0, unit_price=8.5, amount=340.0,
                 litres=40.0, fuel_type="97", full=True, distance=0.0, estimate=0.0)
    assert_close(second["日期"], SEED_ENTRIES[1]["日期"], "the modified entry's date", 1.5 / 86400)
    original = LogFile(seeded)
    for n in (0, 2):
        check(log.records[n]["raw"] == original.records[n]["raw"], f"entry {n + 1} changed")
    session.click(main, CLOSE_BUTTON)
    session.wait_app_exit()


def delete_entry(session):
    seed_log(session, SEED_ENTRIES)
    main = session.start_app()
    session.wait_for("the list to show the seeded rows", lambda: session.list_rows_shown(main)[0] == 3)

    session.click(main, session.row_centre(main, 1))
    session.click(main, DELETE_BUTTON)
    answer_box(session, "询问")  # Yes is the default answer
    session.wait_for("the log to hold two records", lambda: LogFile.read(session.database).stored_records == 2)

    log = LogFile.read(session.database)
    check(len(log.data) == DATA_START + 2 * RECORD_LENGTH, f"file length {len(log.data)} after the purge")
    check([r["recordId"] for r in log.records] == [2, 3], f"ids {[r['recordId'] for r in log.records]}")
    check([r["序号"] for r in log.records] == [1, 2], f"serials {[r['序号'] for r in log.records]}")
    check(log.next_record_id == 4, f"nextRecordId {log.next_record_id}, expected 4")
    assert_entry(log.records[0], "the first remaining entry", odometer=12500.0, fuel_type="97")
    assert_entry(log.records[1], "the second remaining entry", odometer=13100.0, fuel_type="93")
    session.wait_for("the list to show two rows", lambda: session.list_rows_shown(main)[0] == 2)
    session.click(main, CLOSE_BUTTON)
    session.wait_app_exit()


def report(session):
    seed_log(session, SEED_ENTRIES)
    main = session.start_app()
    session.wait_for("the list to show the seeded rows", lambda: session.list_rows_shown(main)[0] == 3)

    session.click(main, REPORT_BUTTON)
    args_file = os.path.join(session.root, "viewer.args")
    session.wait_for("the default viewer to be started", lambda: os.path.exists(args_file))
    with open(os.path.join(session.root, "viewer.pid")) as file:
        viewer = int(file.read())
    session.stray_pids.append(viewer)
    with open(args_file) as file:
        args = file.read().splitlines()
    check(args in ([session.report], ["file://" + urllib.parse.quote(session.report)]),
          f"the viewer was asked to open {args!r}, not {session.report}")

    page = read_file(session.report)
    check(page.startswith(b"<html>\r\n") and page.endswith(b"</table></body></html>"), "the page's frame")
    check(gbk("Tankora v3.0 生成的油耗报告") in page, "the page's title line")
    check(gbk("charset=gb2312") in page, "the page declares its code page")
    at = 0
    cells = [f'<td bgcolor="#EEEDEA" width="{w}">{t}</td>\r\n' for t, w in COLUMNS]
    for row in SEED_ROWS:
        cells += [f'<td bgcolor="#FFFFFF" width="{w}">{t}</td>\r\n' for t, (_, w) in zip(row, COLUMNS)]
    for cell in cells:
        found = page.find(gbk(cell), at)
        check(found >= 0, f"the page lacks the cell {cell.strip()!r} (in list order)")
        at = found + 1

    # The viewer still sleeps; the program must not wait for it.
    check(os.path.exists(f"/proc/{viewer}"), "the viewer stub ended early")
    dialog = open_dialog(session, main, ADD_BUTTON, "添加")
    check(os.path.exists(f"/proc/{viewer}"), "the program answered only after the viewer ended")
    session.click(dialog, CANCEL_BUTTON)
    session.wait_window_gone(dialog, "the dialog to close after Cancel")
    session.click(main, CLOSE_BUTTON)
    session.wait_app_exit()


def restart_maximized(session):
    seeded = seed_log(session, SEED_ENTRIES)
    main = session.start_app()
    session.wait_for("the list to show the seeded rows", lambda: session.list_rows_shown(main)[0] == 3)
    before = session.steady_pixels(main, LIST_ROWS_BESIDE_SERIALS)
    session.click(main, CLOSE_BUTTON)
    session.wait_app_exit()
    check(read_file(session.database) == seeded, "showing and closing changed the log")

    main = session.start_app()
    session.wait_for("the list to show the same rows", lambda: session.list_rows_shown(main)[0] == 3)
    after = session.steady_pixels(main, LIST_ROWS_BESIDE_SERIALS)
    check(after == before, "the list looks different after a restart")
    check(session.geometry(main)[2:] == MAIN_CLIENT_SIZE, "the window did not open in its normal size")

    run(["wmctrl", "-i", "-r", main, "-b", "add,maximized_vert,maximized_horz"], session.tool_env())
    session.wait_for("the window to be maximized", lambda: session.geometry(main)[2] == SCREEN_SIZE[0])
    session.close_box(main)
    check(session.wait_app_exit() == 0, "exit code after the close box")
    assert_settings(session, "位置", "3")

    main = session.start_app()
    session.wait_for("the window to open maximized",
                     lambda: session.geometry(main)[2] == SCREEN_SIZE[0]
                     and session.geometry(main)[3] > MAIN_CLIENT_SIZE[1]
                     and "MAXIMIZED_HORZ" in session.window_state(main))
    session.screenshot(main, "maximized")
    session.click(main, CLOSE_BUTTON)
    session.wait_app_exit()
    assert_settings(session, "位置", "3")


def bad_input(session):
    main = session.start_app()
    dialog = open_dialog(session, main, ADD_BUTTON, "添加")

    # OK with the odometer empty: refused with a box, nothing stored, the entry kept.
    session.type_into(dialog, UNIT_PRICE_BOX, "7.5")
    session.type_into(dialog, AMOUNT_BOX, "300")
    session.click(dialog, OK_BUTTON)
    answer_box(session, "失败")
    check(session.find_window("添加") == dialog, "the dialog closed after a refused entry")
    check(read_file(session.database) == template_bytes(), "a refused entry changed the log")

    # Letters in the amount count as the number in front of them.
    session.type_into(dialog, ODOMETER_BOX, "1000")
    session.type_into(dialog, AMOUNT_BOX, "12abc", replace=True)

    # Another program holds the log: the box names the file, the entry waits in the dialog.
    holder = session.hold_lock(session.database)
    session.click(dialog, OK_BUTTON)
    box = session.wait_for_window("信息：")
    text = session.ocr(box)
    expect_path_shown(text, session.database)
    session.key("Return")
    session.wait_window_gone(box, "the box to close")
    check(session.find_window("添加") == dialog, "the dialog closed though the log was locked")
    check(read_file(session.database) == template_bytes(), "the locked log was changed")

    session.release_lock(holder)
    log = press_ok_and_wait_saved(session, dialog, 1)
    assert_entry(log.records[0], "the entry saved after the lock", serial=1, odometer=1000.0, amount=12.0,
                 unit_price=7.5, litres=1.6, fuel_type="93", full=True)
    session.click(main, CLOSE_BUTTON)
    session.wait_app_exit()


def expect_path_shown(text, path):
    """OCR may misread a letter or two; the path must stand in the box all the same."""
    def plain(s):
        return re.sub(r"\s", "", s).translate(str.maketrans("Il1|O0", "lllloo"))
    shown, wanted = plain(text), plain(path)
    best = max((difflib.SequenceMatcher(None, line, wanted).ratio() for line in
                [plain(l) for l in text.splitlines()] + [shown]), default=0)
    check(wanted in shown or best >= 0.9, f"the box does not show the database path {path}; OCR read {text!r}")


SCENARIOS = {f.__name__: f for f in (first_start, add_entries, modify_entry, delete_entry, report,
                                     restart_maximized, bad_input)}
TOOLS = ["Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "wmctrl", "import", "convert", "tesseract"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--binary", required=True)
    parser.add_argument("--hold-lock", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--deadline", type=float, default=240, help="seconds for the whole scenario")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folders")
    options = parser.parse_args()

    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print(f"missing tools: {' '.join(missing)} (tools/install-deps test installs them)", file=sys.stderr)
        return 1

    def deadline_passed(signum, frame):
        raise E2EFailure(f"the scenario did not finish within {options.deadline:.0f} s")

    signal.signal(signal.SIGALRM, deadline_passed)
    signal.setitimer(signal.ITIMER_REAL, options.deadline)
    session = Session(options.scenario, os.path.abspath(options.binary), os.path.abspath(options.hold_lock),
                      os.path.abspath(options.artifacts))
    failed = False
    try:
        session.clear_artifacts()
        session.start_display()
        SCENARIOS[options.scenario](session)
    except (E2EFailure, AssertionError, OSError, subprocess.SubprocessError) as error:
        signal.setitimer(signal.ITIMER_REAL, 0)
        print(f"FAILED: {error}", file=sys.stderr)
        print("".join(traceback.format_tb(error.__traceback__)[-4:]), file=sys.stderr)
        session.record_failure()
        failed = True
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        session.stop()
        if not failed and not options.keep:
            session.cleanup()
    if not failed:
        print(f"{options.scenario}: passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
