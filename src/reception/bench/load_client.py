#!/usr/bin/env python3
"""Load client for the scan server: N concurrent connections on loopback, each
sending one scan and waiting for its 8-byte acknowledgement before the next.
Prints acknowledged scans per second and p50/p99 latency. With --echo-floor it
first measures a bare loopback echo server (in this process's own event loop
style, on another thread) the same way, as the floor of what the client and
the loopback path cost."""
import argparse
import selectors
import socket
import threading
import time

ACK = "记录成功".encode("gbk")


def run_load(host, port, clients, scans_per_client, reply_len, timeout_s=120.0):
    sel = selectors.DefaultSelector()
    state = {}
    latencies = []
    deadline = time.monotonic() + timeout_s
    for i in range(clients):
        s = socket.create_connection((host, port), timeout=10)
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        s.setblocking(False)
        state[s] = {"id": i, "left": scans_per_client, "buf": b"", "t0": 0.0}
        sel.register(s, selectors.EVENT_READ)
    time.sleep(0.5)  # let the server log every arrival first
    start = time.monotonic()

    def send_next(s):
        st = state[s]
        msg = f"{st['id']:04d}-{st['left']:06d}||load".encode("gbk")
        st["t0"] = time.monotonic()
        s.sendall(msg)

    for s in list(state):
        send_next(s)
    active = len(state)
    while active and time.monotonic() < deadline:
        for key, _ in sel.select(timeout=1.0):
            s = key.fileobj
            st = state[s]
            data = s.recv(65536)
            if not data:
                raise SystemExit("server closed a connection")
            st["buf"] += data
            while len(st["buf"]) >= reply_len:
                st["buf"] = st["buf"][reply_len:]
                latencies.append(time.monotonic() - st["t0"])
                st["left"] -= 1
                if st["left"] > 0:
                    send_next(s)
                else:
                    active -= 1
    elapsed = time.monotonic() - start
    for s in state:
        s.close()
    if active:
        raise SystemExit(f"timed out with {active} clients unfinished")
    latencies.sort()
    n = len(latencies)
    return {
        "scans": n,
        "per_s": n / elapsed,
        "p50_ms": latencies[n // 2] * 1000,
        "p99_ms": latencies[min(n - 1, int(n * 0.99))] * 1000,
    }


def echo_server(ready):
    srv = socket.socket()
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind(("127.0.0.1", 0))
    srv.listen(256)
    ready.append(srv.getsockname()[1])
    sel = selectors.DefaultSelector()
    sel.register(srv, selectors.EVENT_READ)
    while True:
        for key, _ in sel.select():
            if key.fileobj is srv:
                c, _ = srv.accept()
                c.setblocking(False)
                sel.register(c, selectors.EVENT_READ)
            else:
                try:
                    d = key.fileobj.recv(65536)
                except OSError:
                    d = b""
                if d:
                    key.fileobj.sendall(ACK)  # one reply per message, as the receiver does
                else:
                    sel.unregister(key.fileobj)
                    key.fileobj.close()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--host", default="127.0.0.1")
    ap.add_argument("--port", type=int, default=50410)
    ap.add_argument("--clients", type=int, nargs="+", default=[1, 50])
    ap.add_argument("--scans", type=int, default=2000, help="scans per run (split over clients)")
    ap.add_argument("--echo-floor", action="store_true")
    a = ap.parse_args()
    if not a.host.startswith("127."):
        raise SystemExit("loopback addresses only")
    rows = []
    if a.echo_floor:
        ready = []
        threading.Thread(target=echo_server, args=(ready,), daemon=True).start()
        while not ready:
            time.sleep(0.01)
        for c in a.clients:
            rows.append(("echo floor", c, run_load("127.0.0.1", ready[0], c, max(1, a.scans // c), len(ACK))))
    for c in a.clients:
        rows.append(("receiver", c, run_load(a.host, a.port, c, max(1, a.scans // c), len(ACK))))
    print(f"{'target':<12}{'clients':>8}{'scans':>8}{'acks/s':>10}{'p50 ms':>9}{'p99 ms':>9}")
    for name, c, r in rows:
        print(f"{name:<12}{c:>8}{r['scans']:>8}{r['per_s']:>10.0f}{r['p50_ms']:>9.2f}{r['p99_ms']:>9.2f}")


if __name__ == "__main__":
    main()
