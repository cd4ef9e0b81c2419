"""Radio servers on loopback that misbehave on purpose, for tests of the player's opens.

Each server listens on 127.0.0.1 on a free port, serves every connection in its own
thread and counts the connections it accepted, so a test can wait until the player is
inside its open. stop() closes the listener and every connection still held.
"""
import socket
import threading

# Enough of an answer that a client takes it for an MP3 radio station.
STATUS_AND_HEADERS = (b"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: hostile\r\n"
                      b"icy-metaint: 16000\r\n\r\n")


class HostileServer:
    """Base: accepts connections and hands each to serve(conn) until stopped."""

    def __init__(self):
        self._listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._listener.bind(("127.0.0.1", 0))
        self._listener.listen(16)
        self.port = self._listener.getsockname()[1]
        self.url = f"http://127.0.0.1:{self.port}/live"
        self.stopped = threading.Event()
        self._lock = threading.Lock()
        self._connections = []
        self.accepted = 0
        self._thread = threading.Thread(target=self._accept_loop, daemon=True)
        self._thread.start()

    def _accept_loop(self):
        while not self.stopped.is_set():
            try:
                conn, _ = self._listener.accept()
            except OSError:
                return
            with self._lock:
                self._connections.append(conn)
                self.accepted += 1
            threading.Thread(target=self._serve_quietly, args=(conn,), daemon=True).start()

    def _serve_quietly(self, conn):
        try:
            self.serve(conn)
        except OSError:
            pass  # the player hung up: that is what it should do

    def read_request(self, conn):
        """Reads the request head (the player's GET), at most 64 KiB."""
        data = b""
        while b"\r\n\r\n" not in data and len(data) < 65536 and not self.stopped.is_set():
            chunk = conn.recv(4096)
            if not chunk:
                break
            data += chunk
        return data

    def serve(self, conn):
        raise NotImplementedError

    def stop(self):
        self.stopped.set()
        try:
            self._listener.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self._listener.close()
        with self._lock:
            for conn in self._connections:
                try:
                    conn.close()
                except OSError:
                    pass
        self._thread.join(5)


class SilentServer(HostileServer):
    """Accepts and never answers (nor reads)."""

    def serve(self, conn):
        self.stopped.wait()


class EndlessHeadersServer(HostileServer):
    """Answers with a status line and then header lines forever, as fast as taken."""

    def serve(self, conn):
        self.read_request(conn)
        conn.sendall(b"HTTP/1.0 200 OK\r\n")
        n = 0
        while not self.stopped.is_set():
            conn.sendall(b"X-Filler-%d: %s\r\n" % (n, b"a" * 200))
            n += 1


class StallAfterHeadersServer(HostileServer):
    """Sends a complete radio answer head, then no audio at all."""

    def serve(self, conn):
        self.read_request(conn)
        conn.sendall(STATUS_AND_HEADERS)
        self.stopped.wait()


class TrickleServer(HostileServer):
    """Sends the answer head one byte every 200 ms, so no single wait ever runs out."""

    def serve(self, conn):
        self.read_request(conn)
        data = STATUS_AND_HEADERS + b"\xff\xfb\x90\x00" * 100000
        for i in range(len(data)):
            if self.stopped.wait(0.2):
                return
            conn.sendall(data[i:i + 1])


ALL = {"silent": SilentServer, "endless headers": EndlessHeadersServer,
       "stall after headers": StallAfterHeadersServer, "trickle": TrickleServer}
