#!/usr/bin/env python3
"""End-to-end tests of receiver.exe under Wine (Python 3, standard library only).

Each test gets a fresh run directory with its own copy of receiver.exe, starts
it through scripts/wine-run on the X display named by DISPLAY, talks to it over
TCP on 127.0.0.1:50410, reads what its window shows with uiprobe.exe, and stops
it again (close button, exit code 0; killed after a time-out so that no Wine
process outlives the test). Screenshots go to the artifacts folder.

    harness.py --list
    harness.py --receiver R.exe --uiprobe U.exe [--probe-target P.exe]
               --wine-run scripts/wine-run --wineprefix PREFIX
               --work-dir DIR --artifacts DIR TEST [TEST ...]

Exit code 0 when every named test passed, 1 otherwise, 2 on a usage error.
"""

import argparse
import fcntl
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import traceback

PORT = 50410
HOST = "127.0.0.1"
MAIN_TITLE = "条形码接收端"
MAIN_CLASS = "ReceiverWindow"
ACK = "记录成功".encode("gbk")
# With no database open, each recorded scan's database stage logs a failure.
DB_FAILED = "数据库写入失败\r\n"
assert len(ACK) == 8

# Control ids (src/shell/control_ids.h).
LABEL4, LABEL5, GROUP1, LABEL1, EDIT1, LABEL3, LIST1, LABEL2 = range(1001, 1009)
BUTTON2, BUTTON4, EDIT3, BUTTON1, LABEL6, EDIT2, LABEL7, LABEL8 = range(1009, 1017)
MENU_ABOUT = 2001

WINDOW_START_TIMEOUT = 90  # the creation handler may wait for an HTTP request
PROBE_TIMEOUT = 30
STOP_TIMEOUT = 15


class TestFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise TestFailure(f"{what}: expected {expected!r}, got {actual!r}")


def unescape_cell(cell):
    out, i = [], 0
    table = {"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}
    while i < len(cell):
        c = cell[i]
        if c == "\\" and i + 1 < len(cell) and cell[i + 1] in table:
            out.append(table[cell[i + 1]])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def time_text(t):
    """The receiver's time form of a struct_time (trailing zero units dropped)."""
    text = f"{t.tm_year}年{t.tm_mon}月{t.tm_mday}日"
    if t.tm_sec:
        text += f"{t.tm_hour}时{t.tm_min}分{t.tm_sec}秒"
    elif t.tm_min:
        text += f"{t.tm_hour}时{t.tm_min}分"
    elif t.tm_hour:
        text += f"{t.tm_hour}时"
    return text


def time_texts_between(start, end):
    return {time_text(time.localtime(s)) for s in range(int(start) - 1, int(end) + 2)}


def wait_until(fn, timeout, interval=0.2):
    """Calls fn until it returns a true value or timeout seconds passed;
    returns the last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = fn()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def port_is_listening(port=PORT):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.settimeout(1)
        return s.connect_ex((HOST, port)) == 0


class ScanClient:
    """A scanning client on loopback: connects, sends GBK bytes, reads replies."""

    def __init__(self, timeout=10):
        self.sock = socket.create_connection((HOST, PORT), timeout=timeout)
        host, port = self.sock.getsockname()
        self.address = f"{host}:{port}"  # the receiver's name for this client

    def send(self, data):
        if isinstance(data, str):
            data = data.encode("gbk")
        self.sock.sendall(data)

    def read_exactly(self, n, timeout=10):
        got = b""
        deadline = time.monotonic() + timeout
        while len(got) < n:
            left = deadline - time.monotonic()
            if left <= 0:
                break
            self.sock.settimeout(left)
            try:
                chunk = self.sock.recv(n - len(got))
            except socket.timeout:
                break
            if not chunk:
                break
            got += chunk
        return got

    def read_for(self, seconds):
        """Everything that arrives within the given time (b"" when nothing)."""
        got = b""
        deadline = time.monotonic() + seconds
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return got
            self.sock.settimeout(left)
            try:
                chunk = self.sock.recv(4096)
            except socket.timeout:
                return got
            except ConnectionError:
                return got
            if not chunk:
                return got
            got += chunk

    def expect_ack(self, what, timeout=10):
        got = self.read_exactly(len(ACK), timeout)
        check_equal(got, ACK, f"acknowledgement of {what}")
        extra = self.read_for(0.3)
        check_equal(extra, b"", f"bytes after the acknowledgement of {what}")

    def is_closed_by_peer(self, timeout=10):
        """True when the receiver closed the connection (EOF or reset)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.sock.settimeout(max(0.05, deadline - time.monotonic()))
            try:
                chunk = self.sock.recv(4096)
            except socket.timeout:
                return False
            except ConnectionError:
                return True
            if not chunk:
                return True
        return False

    def close(self):
        try:
            self.sock.close()
        except OSError:
            pass


class Wine:
    """Runs Windows programs through scripts/wine-run in the test prefix."""

    def __init__(self, opts):
        self.wine_run = opts.wine_run
        self.env = dict(os.environ)
        self.env["WINEPREFIX"] = opts.wineprefix
        self.env.setdefault("WINEDEBUG", "-all")
        # uiprobe takes window titles from its command line: a UTF-8 locale
        # lets Wine convert them correctly.
        self.env["LC_ALL"] = "C.UTF-8"
        self.uiprobe = opts.uiprobe

    def start(self, exe, cwd, log_path):
        log = open(log_path, "wb")
        try:
            return subprocess.Popen([self.wine_run, exe], cwd=cwd, env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=log,
                                    stderr=subprocess.STDOUT, start_new_session=True)
        finally:
            log.close()

    def probe(self, *args, timeout=PROBE_TIMEOUT):
        """Runs uiprobe; returns (exit code, stdout text, stderr text).

        Output goes through files, not pipes: a Wine server started by this
        call inherits the descriptors and keeps them open, so a pipe would
        never report its end."""
        cmd = [self.wine_run, self.uiprobe] + [str(a) for a in args]
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.Popen(cmd, env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=err, start_new_session=True)
            try:
                proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                kill_group(proc)
                proc.wait()
                raise TestFailure(f"uiprobe {' '.join(map(str, args))} timed out")
            out.seek(0)
            err.seek(0)
            return (proc.returncode, out.read().decode("utf-8", "replace"),
                    err.read().decode("utf-8", "replace"))


def kill_group(proc):
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    except PermissionError:
        proc.kill()


class App:
    """One run of a Windows program with a window, driven through uiprobe."""

    def __init__(self, ctx, exe, title):
        self.ctx = ctx
        self.title = title
        self.run_dir = ctx.run_dir
        local_exe = os.path.join(self.run_dir, os.path.basename(exe))
        shutil.copy2(exe, local_exe)
        self.proc = ctx.wine.start(local_exe, self.run_dir,
                                   os.path.join(self.run_dir, "wine-output.txt"))
        ctx.apps.append(self)

    # ---- probe wrappers
    def probe(self, *args, ok=True, timeout=PROBE_TIMEOUT):
        rc, out, err = self.ctx.wine.probe(*args, timeout=timeout)
        if ok and rc != 0:
            ended = self.proc.poll()
            raise TestFailure(f"uiprobe {' '.join(map(str, args))} gave {rc}: {err.strip()}" +
                              (f" (the program has ended with exit code {ended:#x})"
                               if ended is not None else ""))
        return rc, out

    def wait_window(self, title=None, timeout=WINDOW_START_TIMEOUT):
        title = title or self.title
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise TestFailure(f"the program ended with {self.proc.returncode} "
                                  f"before window {title!r} appeared")
            rc, out = self.probe("wait", title, 2000, ok=False)
            if rc == 0:
                return out.strip()
        raise TestFailure(f"window {title!r} did not appear within {timeout} s")

    def text(self, control=0, title=None):
        _, out = self.probe("text", title or self.title, control)
        check(out.endswith("\n"), "uiprobe text output lacks its line end")
        return out[:-1]

    def rows(self, control):
        _, out = self.probe("list", self.title, control)
        return [[unescape_cell(c) for c in line.split("\t")]
                for line in out.split("\n") if line != ""]

    def columns(self, control):
        _, out = self.probe("columns", self.title, control)
        result = []
        for line in out.split("\n"):
            if line:
                head, width, align = line.split("\t")
                result.append((unescape_cell(head), int(width), align))
        return result

    @staticmethod
    def _fields(out):
        fields = {}
        for item in out.split():
            key, _, value = item.partition("=")
            try:
                fields[key] = int(value, 0)
            except ValueError:
                fields[key] = value
        return fields

    def rect(self, control):
        return self._fields(self.probe("rect", self.title, control)[1])

    def window_rect(self, title=None):
        return self._fields(self.probe("window-rect", title or self.title)[1])

    def style(self, control=0, title=None):
        return self._fields(self.probe("style", title or self.title, control)[1])

    def click(self, control, title=None):
        self.probe("click", title or self.title, control)

    def type_into(self, control, text):
        self.probe("type", self.title, control, text)

    def menu(self, item, bar_index=0, item_index=0):
        self.probe("menu", self.title, item, bar_index, item_index)

    def wait_text(self, control, predicate, timeout=10):
        """Polls a control's text until predicate(text) holds; returns it."""
        last = [None]

        def probe_once():
            last[0] = self.text(control)
            return predicate(last[0])

        wait_until(probe_once, timeout)
        return last[0]

    # ---- screenshots
    def screenshot(self, name):
        """Saves the whole screen and the window alone as PNG artifacts."""
        os.makedirs(self.ctx.artifact_dir, exist_ok=True)
        full = os.path.join(self.ctx.artifact_dir, f"{name}-screen.png")
        run_quiet(["import", "-window", "root", full])
        paths = [full]
        try:
            r = self.window_rect()
            crop = os.path.join(self.ctx.artifact_dir, f"{name}-window.png")
            geometry = f"{r['width']}x{r['height']}+{r['left']}+{r['top']}"
            run_quiet(["import", "-window", "root", "-crop", geometry, "+repage", crop])
            paths.append(crop)
        except TestFailure:
            pass
        self.ctx.log(f"screenshot: {' '.join(paths)}")
        return paths

    # ---- ending
    def close(self):
        """Closes the window as its close button does; returns the exit code."""
        self.probe("close", self.title)
        return self.wait_exit()

    def wait_exit(self, timeout=STOP_TIMEOUT):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            kill_group(self.proc)
            self.proc.wait()
            raise TestFailure(f"the program did not end within {timeout} s; killed")

    def kill(self):
        if self.proc.poll() is None:
            kill_group(self.proc)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass


def run_quiet(cmd, timeout=30):
    try:
        subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=timeout, check=False)
    except (OSError, subprocess.TimeoutExpired):
        pass


class Context:
    def __init__(self, opts, name):
        self.opts = opts
        self.name = name
        self.wine = Wine(opts)
        self.run_dir = os.path.join(opts.work_dir, name)
        # uiprobe looks only at windows of programs started from this folder,
        # not at another copy someone runs on the same Wine server.
        self.wine.env["UIPROBE_PROCESS_DIR"] = "Z:" + self.run_dir.replace("/", "\\") + "\\"
        self.artifact_dir = os.path.join(opts.artifacts, name)
        self.apps = []
        self.clients = []
        if os.path.isdir(self.run_dir):
            shutil.rmtree(self.run_dir)
        os.makedirs(self.run_dir)
        if os.path.isdir(self.artifact_dir):
            shutil.rmtree(self.artifact_dir)

    def log(self, text):
        print(f"[{self.name}] {text}", flush=True)

    def receiver(self):
        exe = self.opts.receiver
        check(exe and os.path.isfile(exe),
              f"receiver.exe not found at {exe}: build the Windows tree first "
              "(cmake --build <win tree> --target receiver)")
        app = App(self, exe, MAIN_TITLE)
        app.hwnd = app.wait_window()
        return app

    def client(self):
        c = ScanClient()
        self.clients.append(c)
        return c

    def cleanup(self, failed):
        for c in self.clients:
            c.close()
        for app in self.apps:
            if failed and app.proc.poll() is None:
                try:
                    app.screenshot("failure")
                except Exception:  # noqa: BLE001 - best effort only
                    pass
            app.kill()


# ---------------------------------------------------------------- tests

TESTS = {}


def e2e_test(needs_port=True):
    def register(fn):
        TESTS[fn.__name__.removeprefix("test_")] = (fn, needs_port)
        return fn
    return register


def start_receiver(ctx):
    # The Wine server owns the sockets; it may take a moment after a previous
    # run ended before the port is free again.
    check(wait_until(lambda: not port_is_listening(), 10, 0.5),
          f"port {PORT} is already in use before the receiver started "
          "(another receiver running on this machine?)")
    return ctx.receiver()


@e2e_test(needs_port=False)
def test_uiprobe_selftest(ctx):
    """The driver against a window of its own whose behaviour is known."""
    exe = ctx.opts.probe_target
    check(exe and os.path.isfile(exe), f"probe_target.exe not found at {exe}")
    title = "探针测试窗口"
    app = App(ctx, exe, title)
    app.wait_window()
    rows = app.rows(103)
    check_equal(len(rows), 3, "rows of the owner-data list")
    check_equal(rows[0], [f"行0列{c}" for c in range(5)], "row 0")
    check_equal(rows[1][2], "长" * 3000, "a 3000-character cell")
    check_equal(rows[1][4], "甲\t乙", "a cell holding a tab")
    check_equal([c[0] for c in app.columns(103)], ["序号", "客户端", "识别条码", "加入时间", "备注"],
                "column headings")
    r = app.rect(103)
    check_equal((r["x"], r["y"], r["width"], r["height"], r["parent_id"]), (5, 20, 400, 200, 102),
                "list place inside the group box")
    check_equal(app.text(101), "当前条码：", "label caption")
    app.click(105)
    app.click(106)  # disabled: the click must go nowhere
    app.menu(202, 0, 1)
    app.menu(203, 1, 0)
    check_equal(app.wait_text(104, lambda t: t.count("\n") >= 3), "button\r\nmenu 202\r\nmenu 203\r\n",
                "log after a click, a click on a disabled button and two menu choices")
    app.click(108)
    app.wait_window("提示", timeout=10)
    app.probe("dialog-button", "提示", "否|No")
    app.click(107)
    app.wait_window("打开数据库", timeout=10)
    app.probe("dialog-file", "打开数据库", "C:\\windows\\win.ini")
    log = app.wait_text(104, lambda t: "file" in t)
    check_equal(log, "button\r\nmenu 202\r\nmenu 203\r\nmessage no\r\nfile C:\\windows\\win.ini\r\n",
                "log after the message box and the file dialog")
    app.screenshot("probe-target")
    check_equal(app.close(), 7, "exit code of the probe target")


# Places of the main window's units: id -> (name, parent, x, y, width, height);
# parent 0 is the window's client area, GROUP1 the group box.
LAYOUT = {
    LABEL4: ("标签4", 0, 0, 0, 256, 80),
    LABEL5: ("标签5", 0, 256, 0, 581, 80),
    GROUP1: ("分组框1", 0, 0, 74, 840, 377),
    LABEL1: ("标签1", 0, 594, 402, 63, 20),
    EDIT1: ("编辑框1", 0, 647, 406, 168, 43),
    LABEL3: ("标签3", GROUP1, 6, 9, 200, 48),
    LIST1: ("超级列表框1", GROUP1, 0, 49, 496, 280),
    LABEL2: ("标签2", GROUP1, 13, 331, 64, 32),
    BUTTON2: ("按钮2", GROUP1, 503, 87, 64, 40),
    BUTTON4: ("按钮4", GROUP1, 503, 211, 64, 40),
    EDIT3: ("编辑框3", GROUP1, 584, 89, 172, 32),
    BUTTON1: ("按钮1", GROUP1, 760, 87, 56, 33),
    LABEL6: ("标签6", GROUP1, 588, 121, 224, 32),
    EDIT2: ("编辑框2", GROUP1, 584, 150, 247, 83),
    LABEL7: ("标签7", GROUP1, 592, 272, 224, 24),
    LABEL8: ("标签8", GROUP1, 593, 304, 224, 24),
}

# Captions at start (标签8 gains the public address after its prefix).
CAPTIONS = {
    LABEL4: "当前条码：", LABEL5: "", LABEL1: "内网IP：", LABEL3: "扫描记录",
    LABEL2: "共计", BUTTON2: "导出", BUTTON4: "导入数据库", EDIT3: "", BUTTON1: "查数据库",
    LABEL6: "登陆记录：", EDIT2: "", LABEL7: "服务器域名：",
}

WS_TABSTOP, WS_THICKFRAME, WS_MAXIMIZEBOX, WS_MINIMIZEBOX = 0x10000, 0x40000, 0x10000, 0x20000
WS_SYSMENU, WS_CAPTION, WS_VSCROLL, WS_HSCROLL, WS_BORDER = 0x80000, 0xC00000, 0x200000, 0x100000, 0x800000
ES_MULTILINE, ES_READONLY, ES_AUTOHSCROLL = 0x4, 0x800, 0x80
LVS_REPORT, LVS_SINGLESEL, LVS_OWNERDATA, LVS_TYPEMASK = 0x1, 0x4, 0x1000, 0x3
WS_EX_CLIENTEDGE = 0x200


@e2e_test()
def test_window_place_and_frame(ctx):
    app = start_receiver(ctx)
    s = app.style()
    check_equal(s["class"], MAIN_CLASS, "window class")
    check_equal(app.text(), MAIN_TITLE, "window caption")
    r = app.window_rect()
    check_equal((r["screen_width"], r["screen_height"]), (1920, 1080), "screen size")
    check_equal((r["left"], r["top"], r["width"], r["height"]), (538, 289, 844, 501),
                "outer rectangle (centred, 844 x 501)")
    style = s["style"]
    check(not style & WS_THICKFRAME, f"fixed frame expected, style {style:#x} has WS_THICKFRAME")
    check(not style & WS_MAXIMIZEBOX, f"style {style:#x} has WS_MAXIMIZEBOX")
    check(style & WS_MINIMIZEBOX, f"style {style:#x} lacks WS_MINIMIZEBOX")
    check(style & WS_SYSMENU and (style & WS_CAPTION) == WS_CAPTION,
          f"style {style:#x} lacks the caption or system menu")
    check_equal(s["menu"], 1, "menu bar present")
    check_equal((s["enabled"], s["visible"]), (1, 1), "window enabled and visible")
    app.screenshot("main-window")
    check_equal(app.close(), 0, "exit code after closing the window")


@e2e_test()
def test_units_at_their_places(ctx):
    app = start_receiver(ctx)
    problems = []
    for cid, (name, parent, x, y, w, h) in LAYOUT.items():
        r = app.rect(cid)
        got = (r["parent_id"], r["x"], r["y"], r["width"], r["height"])
        if got != (parent, x, y, w, h):
            problems.append(f"{name} ({cid}): expected parent {parent} at ({x},{y}) {w}x{h}, "
                            f"got parent {got[0]} at ({got[1]},{got[2]}) {got[3]}x{got[4]}")
        s = app.style(cid)
        if (s["enabled"], s["visible"]) != (1, 1):
            problems.append(f"{name} ({cid}): enabled={s['enabled']} visible={s['visible']}")
        tab_stop = cid in (EDIT1, EDIT2, EDIT3, BUTTON1, BUTTON2, BUTTON4, LIST1)
        if bool(s["style"] & WS_TABSTOP) != tab_stop:
            problems.append(f"{name} ({cid}): tab stop should be {tab_stop}, style {s['style']:#x}")
    for cid, caption in CAPTIONS.items():
        got = app.text(cid)
        if got != caption:
            problems.append(f"{LAYOUT[cid][0]} ({cid}): caption {got!r}, expected {caption!r}")
    label8 = app.text(LABEL8)
    if not label8.startswith("外网IP："):
        problems.append(f"标签8 ({LABEL8}): caption {label8!r} does not start with 外网IP：")
    columns = app.columns(LIST1)
    expected_columns = [("序号", 50, "left"), ("客户端", 150, "left"), ("识别条码", 140, "left"),
                        ("加入时间", 130, "left"), ("备注", 130, "left")]
    if columns != expected_columns:
        problems.append(f"list columns {columns}, expected {expected_columns}")
    if app.rows(LIST1):
        problems.append("the list has rows at start")
    ls = app.style(LIST1)["style"]
    if (ls & LVS_TYPEMASK) != LVS_REPORT or not ls & LVS_OWNERDATA or not ls & LVS_SINGLESEL:
        problems.append(f"list style {ls:#x}: want report view, owner data, single selection")
    for cid in (EDIT1, EDIT2):
        es = app.style(cid)["style"]
        want = ES_MULTILINE | ES_READONLY | WS_VSCROLL
        if es & want != want or es & (WS_HSCROLL | WS_BORDER | ES_AUTOHSCROLL):
            problems.append(f"{LAYOUT[cid][0]} ({cid}) style {es:#x}: want multi-line, read-only, "
                            "vertical scroll bar only, word wrap, no border")
    e3 = app.style(EDIT3)
    if e3["style"] & (ES_READONLY | ES_MULTILINE) or not e3["exstyle"] & WS_EX_CLIENTEDGE:
        problems.append(f"编辑框3 style {e3['style']:#x}/{e3['exstyle']:#x}: want a plain "
                        "single-line edit with a sunken edge")
    app.screenshot("layout")
    check(not problems, "layout differs:\n  " + "\n  ".join(problems))
    check_equal(app.close(), 0, "exit code")


@e2e_test()
def test_operator_input(ctx):
    """Typing reaches only 编辑框3; 查数据库 does nothing; the log stays read-only."""
    app = start_receiver(ctx)
    app.type_into(EDIT3, "abc条码")
    check_equal(app.wait_text(EDIT3, lambda t: t == "abc条码", 5), "abc条码", "typed into 编辑框3")
    app.type_into(EDIT2, "xyz")
    app.type_into(EDIT1, "xyz")
    check_equal(app.text(EDIT2), "", "event log after typing into it")
    check("xyz" not in app.text(EDIT1), "typing changed 编辑框1")
    app.click(BUTTON1)
    time.sleep(0.5)
    check_equal(app.text(EDIT2), "", "event log after clicking 查数据库")
    check_equal(app.rows(LIST1), [], "list after clicking 查数据库")
    check_equal(app.close(), 0, "exit code")


@e2e_test()
def test_first_scan_and_client_log(ctx):
    app = start_receiver(ctx)
    c = ctx.client()
    arrival = f"{c.address}登录成功\r\n"
    check_equal(app.wait_text(EDIT2, lambda t: t == arrival), arrival, "log after connecting")
    before = time.time()
    c.send("690||A区")
    c.expect_ack("690||A区")
    after = time.time()
    check_equal(app.text(LABEL5), "690", "标签5 after the scan")
    rows = app.rows(LIST1)
    check_equal(len(rows), 1, "rows after the first scan")
    row = rows[0]
    check_equal([row[0], row[1], row[2], row[4]], ["1", c.address, "690", "A区"],
                "row 1 (sequence, client, barcode, remark)")
    check(re.fullmatch(r"\d{4}年\d{1,2}月\d{1,2}日(\d{1,2}时(\d{1,2}分(\d{1,2}秒)?)?)?", row[3]),
          f"time cell {row[3]!r} is not a time text")
    check(row[3] in time_texts_between(before, after),
          f"time cell {row[3]!r} is not the local time of the scan "
          f"({sorted(time_texts_between(before, after))})")
    check_equal(app.text(LABEL2), "共计1条记录", "标签2 after the first scan")
    logged = arrival + DB_FAILED
    check_equal(app.text(EDIT2), logged, "log after the scan (no database open)")
    app.screenshot("first-scan")
    c.close()
    departure = logged + f"{c.address}退出登录"
    check_equal(app.wait_text(EDIT2, lambda t: t != logged), departure,
                "log after disconnecting (departure line without line break)")
    c2 = ctx.client()
    both = departure + f"{c2.address}登录成功\r\n"
    check_equal(app.wait_text(EDIT2, lambda t: t != departure), both,
                "a second client's arrival continues the departure line")
    app.screenshot("second-client")
    check_equal(app.close(), 0, "exit code")


# (message bytes, barcode cell, remark cell)
MESSAGE_FORMS = [
    ("a||b||c".encode("gbk"), "a", "b"),
    ("x|| ".encode("gbk"), "x", "无备注"),
    ("x||  ".encode("gbk"), "x", "  "),
    ("||A区".encode("gbk"), "", "A区"),
    (b"123||ab\x00cd", "123", "ab"),
    ("a||||b".encode("gbk"), "a", ""),
    ("条码||备注\r\n".encode("gbk"), "条码", "备注\r\n"),
    # A double-byte character whose second byte is "|" takes no part in a separator.
    (b"\x81|||x", b"\x81|".decode("gbk"), "x"),
]


@e2e_test()
def test_message_forms(ctx):
    """The barcode and remark cells for the message forms a scanner may send."""
    app = start_receiver(ctx)
    c = ctx.client()
    expected_rows = []
    for i, (message, barcode, remark) in enumerate(MESSAGE_FORMS, start=1):
        c.send(message)
        c.expect_ack(repr(message))
        rows = app.rows(LIST1)
        check_equal(len(rows), i, f"rows after {message!r}")
        row = rows[-1]
        check_equal([row[0], row[1], row[2], row[4]], [str(i), c.address, barcode, remark],
                    f"row of {message!r}")
        check_equal(app.text(LABEL5), barcode, f"标签5 after {message!r}")
        check_equal(app.text(LABEL2), f"共计{i}条记录", f"标签2 after {message!r}")
        expected_rows.append(row)
    check_equal(app.rows(LIST1), expected_rows, "rows stay as they were appended")
    check_equal(app.close(), 0, "exit code")


@e2e_test()
def test_message_without_separator(ctx):
    app = start_receiver(ctx)
    c = ctx.client()
    arrival = f"{c.address}登录成功\r\n"
    app.wait_text(EDIT2, lambda t: t == arrival)
    log = arrival
    for message in ("690", "690||"):
        c.send(message)
        line = f"{c.address}消息缺少分隔符，已忽略\r\n"
        check_equal(app.wait_text(EDIT2, lambda t, old=log: t != old), log + line,
                    f"log after {message!r}")
        log += line
        check_equal(c.read_for(1.0), b"", f"reply to {message!r}")
        check_equal(app.rows(LIST1), [], f"rows after {message!r}")
        check_equal(app.text(LABEL5), "", f"标签5 after {message!r}")
        check_equal(app.text(LABEL2), "共计", f"标签2 after {message!r}")
    c.send("691||B")
    c.expect_ack("691||B after ignored messages")
    rows = app.rows(LIST1)
    check_equal([(r[0], r[2], r[4]) for r in rows], [("1", "691", "B")],
                "the next proper scan is row 1")
    check_equal(app.close(), 0, "exit code")


@e2e_test()
def test_clients_get_their_own_acknowledgements(ctx):
    app = start_receiver(ctx)
    a, b = ctx.client(), ctx.client()
    app.wait_text(EDIT2, lambda t: t.count("登录成功") == 2)
    a.send("1||a")
    a.expect_ack("the scan of client a")
    check_equal(b.read_for(0.5), b"", "bytes client b received for a's scan")
    b.send("2||b")
    b.expect_ack("the scan of client b")
    check_equal(a.read_for(0.5), b"", "bytes client a received for b's scan")
    rows = app.rows(LIST1)
    check_equal([(r[0], r[1], r[2]) for r in rows], [("1", a.address, "1"), ("2", b.address, "2")],
                "rows of two clients")
    check_equal(app.close(), 0, "exit code")


@e2e_test()
def test_port_taken_is_logged(ctx):
    blocker = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    # Connections of earlier runs may linger in TIME_WAIT on the port; a
    # listener keeps the port taken all the same.
    blocker.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        blocker.bind((HOST, PORT))
        blocker.listen(1)
        app = ctx.receiver()
        line = "端口50410已被占用，无法接收扫描数据\r\n"
        log = app.wait_text(EDIT2, lambda t: t != "", timeout=10)
        check_equal(log, line, "log when port 50410 is taken")
        app.screenshot("port-taken")
        check_equal(app.close(), 0, "exit code")
    finally:
        blocker.close()


@e2e_test()
def test_close_with_client_connected(ctx):
    app = start_receiver(ctx)
    c = ctx.client()
    arrival = f"{c.address}登录成功\r\n"
    app.wait_text(EDIT2, lambda t: t == arrival)
    c.send("690||A区")
    c.expect_ack("690||A区")
    check_equal(app.close(), 0, "exit code with a client connected")
    check(c.is_closed_by_peer(10), "the client's connection was not closed at exit")
    check(not port_is_listening(), "port 50410 still listening after exit")


# ---------------------------------------------------------------- main

# Port 50410 is one per machine: test runs from other checkouts and the
# benchmarks take this lock too before they listen or connect on it.
PORT_LOCK = "/tmp/receiver-port-50410.lock"


def run_test(opts, name):
    fn, needs_port = TESTS[name]
    if needs_port:
        lock = open(PORT_LOCK, "a")
        fcntl.flock(lock, fcntl.LOCK_EX)
    ctx = Context(opts, name)
    started = time.monotonic()
    failed = True
    try:
        fn(ctx)
        failed = False
    except TestFailure as e:
        ctx.log(f"FAILED: {e}")
    except Exception:  # noqa: BLE001 - report any harness error as a failure
        ctx.log("ERROR:\n" + traceback.format_exc())
    finally:
        ctx.cleanup(failed)
    ctx.log(f"{'FAILED' if failed else 'passed'} in {time.monotonic() - started:.1f} s "
            f"(run directory {ctx.run_dir})")
    if needs_port:
        lock.close()
    return not failed


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", action="store_true", help="print the tests: NAME port|noport")
    parser.add_argument("--receiver")
    parser.add_argument("--uiprobe")
    parser.add_argument("--probe-target")
    parser.add_argument("--wine-run")
    parser.add_argument("--wineprefix", default=os.environ.get("WINEPREFIX"))
    parser.add_argument("--work-dir")
    parser.add_argument("--artifacts")
    parser.add_argument("tests", nargs="*")
    opts = parser.parse_args(argv)
    for key in ("receiver", "uiprobe", "probe_target", "wine_run", "wineprefix", "work_dir",
                "artifacts"):
        if getattr(opts, key):
            setattr(opts, key, os.path.abspath(getattr(opts, key)))
    if opts.list:
        for name, (_, needs_port) in TESTS.items():
            print(f"{name} {'port' if needs_port else 'noport'}")
        return 0
    missing = [f"--{k.replace('_', '-')}" for k in ("uiprobe", "wine_run", "wineprefix",
                                                    "work_dir", "artifacts")
               if not getattr(opts, k)]
    unknown = [t for t in opts.tests if t not in TESTS]
    if missing or unknown or not opts.tests:
        parser.print_usage(sys.stderr)
        if missing:
            print(f"missing: {' '.join(missing)}", file=sys.stderr)
        if unknown:
            print(f"unknown tests: {' '.join(unknown)}", file=sys.stderr)
        return 2
    if not os.environ.get("DISPLAY"):
        print("harness: DISPLAY is not set; run under scripts/with-display", file=sys.stderr)
        return 2
    check_uiprobe = os.path.isfile(opts.uiprobe)
    if not check_uiprobe:
        print(f"harness: uiprobe.exe not found at {opts.uiprobe}", file=sys.stderr)
        return 1
    results = [run_test(opts, t) for t in opts.tests]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
