#!/usr/bin/env python3
"""Loopback HTTP server for the fetch tests.

It answers on three ports of 127.0.0.1, each picked free by the system:
  main     every request is answered with the exact bytes it arrived as
           (request line, headers, body), so a test sees what was sent;
           /ic.asp answers with an IP echo page, /cookies sets cookies,
           /redirect sends a 302 to /landed.
  noclose  /ic.asp answers with an echo page whose address lacks the "]".
  hang     accepts connections and never answers.
The ports are written as "name=port" lines to <dir>/ports once all listen.

  fetch_server.py start <dir>   start in the background, wait for the ports
  fetch_server.py stop <dir>    stop the one started for <dir>
  fetch_server.py serve <dir>   run in the foreground
"""
import os
import signal
import socket
import subprocess
import sys
import threading
import time

LOOPBACK = "127.0.0.1"
ECHO_PAGE = "<html><body><center>您的IP是：[1.2.3.4] 来自：测试</center></body></html>".encode("gbk")
NOCLOSE_PAGE = "<html><body>您的IP是：[1.2.3.4 来自：测试</body></html>".encode("gbk")


def read_request(conn):
    """One request as raw bytes, body included (by Content-Length)."""
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(65536)
        if not chunk:
            return data
        data += chunk
        if len(data) > 1 << 20:
            return data
    head, _, rest = data.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            try:
                length = int(value.strip())
            except ValueError:
                length = 0
    while len(rest) < length:
        chunk = conn.recv(65536)
        if not chunk:
            break
        rest += chunk
    return head + b"\r\n\r\n" + rest


def respond(conn, status, body, headers=()):
    lines = [b"HTTP/1.1 " + status, b"Content-Type: text/html", b"Connection: close",
             b"Content-Length: " + str(len(body)).encode()]
    lines.extend(headers)
    conn.sendall(b"\r\n".join(lines) + b"\r\n\r\n" + body)


def handle(conn, role):
    with conn:
        conn.settimeout(30)
        try:
            request = read_request(conn)
            target = request.split(b" ", 2)[1] if request.count(b" ") >= 2 else b""
            path = target.split(b"?", 1)[0]
            if path.startswith(b"http://"):  # proxied: absolute URL
                path = b"/" + path[7:].split(b"/", 1)[-1] if b"/" in path[7:] else b"/"
            if path == b"/ic.asp":
                respond(conn, b"200 OK", NOCLOSE_PAGE if role == "noclose" else ECHO_PAGE)
            elif path == b"/cookies":
                respond(conn, b"200 OK", request,
                        [b"set-cookie: a=9; path=/", b"SET-COOKIE: c=deleted"])
            elif path == b"/redirect":
                respond(conn, b"302 Found", b"moved", [b"Location: /landed"])
            else:
                respond(conn, b"200 OK", request)
        except OSError:
            pass


def serve_port(listener, role, held):
    while True:
        conn, _ = listener.accept()
        if role == "hang":
            held.append(conn)  # kept open, never read, never answered
            continue
        threading.Thread(target=handle, args=(conn, role), daemon=True).start()


def serve(folder):
    os.makedirs(folder, exist_ok=True)
    held = []
    ports = []
    for role in ("main", "noclose", "hang"):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind((LOOPBACK, 0))
        listener.listen(64)
        ports.append((role, listener.getsockname()[1]))
        threading.Thread(target=serve_port, args=(listener, role, held), daemon=True).start()
    temp = os.path.join(folder, "ports.tmp")
    with open(temp, "w") as out:
        out.write("".join(f"{role}={port}\n" for role, port in ports))
    os.replace(temp, os.path.join(folder, "ports"))
    while True:
        time.sleep(3600)


def start(folder):
    os.makedirs(folder, exist_ok=True)
    stop(folder)
    ports = os.path.join(folder, "ports")
    if os.path.exists(ports):
        os.remove(ports)
    log = open(os.path.join(folder, "server.log"), "wb")
    child = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", folder],
                             stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                             start_new_session=True)
    with open(os.path.join(folder, "pid"), "w") as out:
        out.write(str(child.pid))
    for _ in range(100):
        if os.path.exists(ports):
            print(open(ports).read(), end="")
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.1)
    print("fetch server did not start", file=sys.stderr)
    return 1


def stop(folder):
    pid_file = os.path.join(folder, "pid")
    if not os.path.exists(pid_file):
        return 0
    try:
        pid = int(open(pid_file).read())
        os.kill(pid, signal.SIGTERM)
    except (ValueError, ProcessLookupError, PermissionError):
        pass
    os.remove(pid_file)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop", "serve"):
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    command, where = sys.argv[1], sys.argv[2]
    if command == "serve":
        serve(where)
    sys.exit(start(where) if command == "start" else stop(where))
