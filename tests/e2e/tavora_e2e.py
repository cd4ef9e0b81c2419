"""Helpers for end-to-end tests: the installed player in a private session.

Each PlayerSession gets its own settings store, runtime folder (single-instance lock
and hand-off socket) and home, on the shared private desktop started by the ctest
fixture (its variables come from $DESKTOP_ENV_DIR/env.sh).
"""
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time

STAGE = os.environ.get("TAVORA_STAGE", "")
SOURCE = os.environ.get("TAVORA_SOURCE_DIR", "")


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

    def wait_ready(self, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.player and self.player.poll() is not None:
                raise RuntimeError(f"player exited early:\n{self.read_log()}")
            try:
                with socket.socket(socket.AF_UNIX) as s:
                    s.connect(self.socket_path())
                    return
            except OSError:
                time.sleep(0.05)
        raise RuntimeError(f"player not ready after {timeout} s:\n{self.read_log()}")

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
        if getattr(self, "log", None):
            self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)
