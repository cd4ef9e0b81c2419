"""Helpers for end-to-end tests: the installed player in a private session.

Each PlayerSession gets its own settings store, runtime folder (single-instance lock
and hand-off socket) and home, on the shared private desktop started by the ctest
fixture (its variables come from $DESKTOP_ENV_DIR/env.sh).
"""
import functools
import http.server
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

STAGE = os.environ.get("TAVORA_STAGE", "")
BUILD = os.path.dirname(STAGE)
COPY_ACTION = 1  # Qt::CopyAction
SOURCE = os.environ.get("TAVORA_SOURCE_DIR", "")


def wait_until(query, timeout=60, what="the expected state", interval=0.05):
    """Polls query() until it returns a true value, and returns that value.

    Tests wait for the state they need, never for a fixed time: the limit is generous
    because a loaded machine is slow, and a passing test never reaches it. After it an
    AssertionError names `what`."""
    deadline = time.monotonic() + timeout
    while True:
        value = query()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"waited {timeout} s for {what}")
        time.sleep(interval)


class FolderServer:
    """The tests' web server: serves `folder` on 127.0.0.1 at a free port (the standard
    library's http.server, one thread a request) until close(). `before_get(path)`, when
    given, runs before each GET is answered (to note or to hold requests). The servers
    that misbehave on purpose are in hostile_servers.py."""

    def __init__(self, folder, before_get=None):
        class Handler(http.server.SimpleHTTPRequestHandler):
            def do_GET(self):
                if before_get:
                    before_get(self.path)
                super().do_GET()

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
        self.port = self.server.server_address[1]
        self.base = f"http://127.0.0.1:{self.port}"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


def playerctl(env, *args):
    """What playerctl says of the player over the session bus (MPRIS), stripped."""
    out = subprocess.run(["playerctl", "--player=tavoraplayer", *args], env=env, capture_output=True, text=True,
                         timeout=30)
    return out.stdout.strip()


_HELD_KEYS = """
import ctypes, ctypes.util
x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XQueryKeymap.argtypes = [ctypes.c_void_p, ctypes.c_char * 32]
x11.XKeycodeToKeysym.restype = ctypes.c_ulong
x11.XKeycodeToKeysym.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int]
x11.XKeysymToString.restype = ctypes.c_char_p
x11.XKeysymToString.argtypes = [ctypes.c_ulong]
display = x11.XOpenDisplay(None)
if not display:
    raise SystemExit("cannot open the display")
keys = (ctypes.c_char * 32)()
x11.XQueryKeymap(display, keys)
for code in range(8, 256):
    if keys.raw[code // 8] & (1 << (code % 8)):
        print((x11.XKeysymToString(x11.XKeycodeToKeysym(display, code, 0)) or b"?").decode())
"""


def held_keys(env):
    """Names of the keys the X server holds down now (XQueryKeymap, in a process of its
    own that has the desktop's display and authority)."""
    out = subprocess.run([sys.executable, "-c", _HELD_KEYS], env=env, capture_output=True, text=True,
                         timeout=30, check=True)
    return out.stdout.split()


def press_key(env, wid, key):
    """Gives window `wid` the focus and types `key` (press and release) as the keyboard
    would. Both go through XTEST to whatever has the focus: `xdotool key --window`
    picks its route per event, and when the press closes the window (Return on a
    message box) the release fails against the gone window, xdotool gives up and the
    key stays down in the X server, repeating into every window focused later."""
    def focused():
        # Asked again while waiting: a window of the player that appears meanwhile takes
        # the focus as a new window.
        if subprocess.run(["xdotool", "getwindowfocus"], env=env, capture_output=True, text=True,
                          timeout=30).stdout.strip() == wid:
            return True
        subprocess.run(["xdotool", "windowactivate", wid], env=env, capture_output=True, timeout=30)
        return False
    wait_until(focused, 30, f"the keyboard focus on window {wid}", interval=0.2)
    subprocess.run(["xdotool", "key", key], env=env, check=True, capture_output=True, timeout=30)


def visible_windows(env, title=None, pid=None):
    """Ids of the visible X windows titled `title` (a whole-title match) or owned by `pid`."""
    args = ["xdotool", "search", "--onlyvisible"]
    args += ["--pid", str(pid)] if pid else ["--name", f"^{title}$"]
    return subprocess.run(args, env=env, capture_output=True, text=True, timeout=30).stdout.split()


def desktop_env():
    env = {}
    path = os.path.join(os.environ.get("DESKTOP_ENV_DIR", ""), "env.sh")
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line.startswith("export ") or "=" not in line:
                continue
            key, value = line[len("export "):].split("=", 1)
            if len(value) >= 2 and value[0] == value[-1] and value[0] in "'\"":
                value = value[1:-1]
            env[key] = value
    return env


def binary(name):
    path = os.path.join(STAGE, "bin", name)
    if not os.access(path, os.X_OK):
        raise RuntimeError(f"{path} is missing: install the build first (scripts/run-tests.sh does)")
    return path


def sign_update_files(*paths):
    """Signs files a test's update server offers (<file>.sig beside each) with the test
    key, which the build under test trusts (scripts/build.sh --tests); the key's secret
    half is for tests only."""
    key = os.path.join(SOURCE, "tests", "update", "keys", "update-test.secret")
    subprocess.run([binary("tavora-update-sign"), "sign", key, *paths], check=True, capture_output=True, timeout=60)


class PlayerSession:
    def __init__(self, audio="null"):
        self.dir = tempfile.mkdtemp(prefix="tavora-e2e-")
        self.runtime = os.path.join(self.dir, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.env = dict(os.environ)
        self.env.update(desktop_env())
        self.env.update({
            "TAVORA_REGISTRY": os.path.join(self.dir, "registry.db"),
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_CONFIG_HOME": os.path.join(self.dir, "config"),
            "XDG_CACHE_HOME": os.path.join(self.dir, "cache"),
            # The player registers its file types in the desktop's folders of the user.
            "XDG_DATA_HOME": os.path.join(self.dir, "data"),
            "TAVORA_AUDIO_OUTPUT": audio,
            "QT_QPA_PLATFORM": "xcb",
            "QT_LOGGING_RULES": "tavora.handoff.info=true",
        })
        self.player = None
        self.log_path = os.path.join(self.dir, "player.log")
        self.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/t", "REG_SZ",
                 "/d", os.path.join(STAGE, "share", "TavoraPlayer"))

    # The settings store, through the installed tool.
    def reg(self, *args):
        return subprocess.run([binary("tavora-reg"), *args], env=self.env, capture_output=True,
                              text=True, timeout=30)

    def dword(self, key, name):
        out = self.reg("query", "HKLM\\" + key, "/v", name).stdout.split()
        return int(out[-1], 16) if "REG_DWORD" in out else None

    def string(self, key, name):
        out = self.reg("query", "HKLM\\" + key, "/v", name).stdout
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 3 and parts[1] == "REG_SZ":
                return "    ".join(parts[2:])
        return None

    def socket_path(self):
        return os.path.join(self.runtime, "TavoraPlayer List")

    def start(self, *args):
        if getattr(self, "log", None):
            self.log.close()  # a restart: the new run's output replaces the old
        self.log = open(self.log_path, "wb")
        self.player = subprocess.Popen([binary("tavoraplayer"), *args], env=self.env,
                                       stdout=self.log, stderr=subprocess.STDOUT)
        return self.player

    def wait_ready(self, timeout=60):
        def answers():
            if self.player and self.player.poll() is not None:
                raise RuntimeError(f"player exited early with status {self.player.returncode}:\n{self.read_log()}")
            try:
                with socket.socket(socket.AF_UNIX) as s:
                    s.connect(self.socket_path())
                    return True
            except OSError:
                return False
        try:
            wait_until(answers, timeout, "the player's hand-off socket")
        except AssertionError:
            raise RuntimeError(f"player not ready after {timeout} s:\n{self.read_log()}") from None

    def wait_window(self, title, timeout=60):
        """The id of the player's visible window titled `title`, once it is up."""
        try:
            return wait_until(lambda: visible_windows(self.env, title), timeout, f"a window titled {title}")[0]
        except AssertionError:
            raise AssertionError(f"no visible window titled {title}:\n{self.read_log()}") from None

    def wait_focus(self, wid, timeout=60):
        """Waits until the window `wid` has the keyboard focus: keys sent after that reach
        it (X delivers the focus change and the keys in order)."""
        def focused():
            return subprocess.run(["xdotool", "getwindowfocus"], env=self.env, capture_output=True, text=True,
                                  timeout=30).stdout.strip() == wid
        wait_until(focused, timeout, f"the keyboard focus on window {wid}")

    def wait_log(self, text, timeout=60):
        """Waits until the player's log holds `text`."""
        wait_until(lambda: text in self.read_log(), timeout, f"{text!r} in the player's log")

    def send(self, message, wparam=0, lparam=0, timeout=30):
        """Sends one message to the running player and returns its reply."""
        with socket.socket(socket.AF_UNIX) as s:
            s.settimeout(timeout)
            s.connect(self.socket_path())
            s.sendall(f"{message} {wparam} {lparam}\n".encode())
            reply = b""
            while not reply.endswith(b"\n"):
                chunk = s.recv(64)
                if not chunk:
                    break
                reply += chunk
            return int(reply.strip() or b"0")

    def command(self, command_id, timeout=30):
        return self.send(0x0111, command_id, 0, timeout)

    def answer_latency(self, timeout=30):
        """Seconds a harmless command (repaint the main window) takes to come back."""
        started = time.monotonic()
        self.command(32811, timeout)  # Invalidate Main
        return time.monotonic() - started

    def store_path(self):
        return self.env["TAVORA_REGISTRY"]

    def launch(self, *args, **kw):
        return subprocess.Popen([binary("tavoraplayer"), *args], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)

    def read_log(self):
        try:
            with open(self.log_path, "rb") as f:
                return f.read().decode("utf-8", "replace")
        except OSError:
            return ""

    def stop(self, sig=signal.SIGTERM, timeout=30):
        if not self.player or self.player.poll() is not None:
            return self.player.returncode if self.player else None
        self.player.send_signal(sig)
        try:
            return self.player.wait(timeout)
        except subprocess.TimeoutExpired:
            self.player.kill()
            self.player.wait()
            raise

    def close(self):
        if self.player and self.player.poll() is None:
            self.player.kill()
            self.player.wait()
        # The desktop is shared: a key left down would type into the next test's windows.
        held = held_keys(self.env)
        for key in held:
            subprocess.run(["xdotool", "keyup", key], env=self.env, timeout=30)
        if getattr(self, "log", None):
            self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)
        if held:
            raise AssertionError(f"keys left held down on the shared desktop: {held}")


class DragSource:
    """The file manager stand-in (tests/playlistwindow/DragSource.cpp): a small window at
    (20, 20) that drags `paths` as file URLs when pressed. Its lines (ready, the target's
    answers, the result) are collected as they come."""

    def __init__(self, env, paths):
        self.process = subprocess.Popen([os.path.join(BUILD, "tests", "playlistwindow", "tavora_drag_source"),
                                         "20", "20", *paths], env=env, stdout=subprocess.PIPE, text=True)
        self.lines = []
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        wait_until(lambda: "ready" in self.lines, what="the drag source ready")

    def _read(self):
        for line in self.process.stdout:
            self.lines.append(line.strip())

    def accepted(self):
        """True once the target has answered that it takes a copy."""
        return f"action {COPY_ACTION}" in self.lines

    def result(self):
        """The drop's result line, once the drag is over (the source then ends)."""
        self.process.wait(20)
        self._reader.join(20)
        return next((line for line in self.lines if line.startswith("dropped")), "")


class DesktopActions:
    """xdotool on the test's desktop, for test cases whose player session is `self.s`."""

    def xdo(self, *args):
        return subprocess.run(["xdotool", *args], env=self.s.env, capture_output=True, text=True,
                              timeout=30).stdout

    def pointer_to(self, x, y):
        """Moves the pointer to (x, y); returns once it is there and the player has answered
        a request sent after that (its UI thread has been through the motion)."""
        self.xdo("mousemove", "--sync", str(x), str(y))
        self.s.answer_latency()

    def drag(self, start, end, steps=12, button="1", accepted=None):
        """A hand's drag from `start` to `end` in `steps` even steps, each taken once the
        player has had the one before. `accepted`, when given, is waited for before the
        release (a drag source's word that the target takes the drop). What the drag did
        is waited for by the callers."""
        self.pointer_to(*start)
        self.xdo("mousedown", button)
        self.s.answer_latency()
        for k in range(1, steps + 1):
            self.pointer_to(start[0] + (end[0] - start[0]) * k // steps, start[1] + (end[1] - start[1]) * k // steps)
        if accepted:
            wait_until(accepted, what="the drop accepted by its target")
            self.s.answer_latency()
        self.xdo("mouseup", button)

    def geometry(self, wid):
        """(x, y, width, height) of the window `wid`."""
        out = self.xdo("getwindowgeometry", "--shell", wid)
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])
