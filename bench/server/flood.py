#!/usr/bin/env python3
"""Fresh clients of a server flooded with connections that never read and never close.

    flood.py PORT RATE SECONDS

Opens RATE connections a second to 127.0.0.1:PORT for SECONDS, each sending "GET / HTTP/1.0"
and then holding its socket open without reading, while a fresh client asks for "/" every
50 ms and waits at most 2 s for a whole answer. Prints "opened answered asked p99-ms": the
flood's connections, and of the fresh clients those answered with 200, those asked, and the
99th percentile of their times.
"""
import socket
import sys
import threading
import time

FLOOD_REQUEST = b"GET / HTTP/1.0\r\n\r\n"
FRESH_REQUEST = b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"


def fresh(port):
    """The time of one answered 200 in seconds, or None."""
    start = time.monotonic()
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=2) as connection:
            connection.sendall(FRESH_REQUEST)
            answer = b""
            while True:
                left = 2 - (time.monotonic() - start)
                if left <= 0:
                    return None
                connection.settimeout(left)
                chunk = connection.recv(65536)
                if not chunk:
                    break
                answer += chunk
    except OSError:
        return None
    head, _, body = answer.partition(b"\r\n\r\n")
    if not head.startswith(b"HTTP/1.1 200 "):
        return None
    for line in head.split(b"\r\n"):
        if line.lower().startswith(b"content-length:"):
            if int(line.split(b":")[1]) != len(body):
                return None
    return time.monotonic() - start


def fresh_while(port, going):
    """A fresh client every 50 ms while going() holds: the times answered (sorted), how many
    were asked, and their 99th percentile in ms."""
    times = []
    asked = 0
    while going():
        asked += 1
        took = fresh(port)
        if took is not None:
            times.append(took)
        time.sleep(0.05)
    times.sort()
    p99 = times[min(len(times) - 1, int(len(times) * 0.99))] * 1000 if times else 0
    return times, asked, p99


def main():
    port, rate, seconds = (int(arg) for arg in sys.argv[1:4])
    held = []

    def flood():
        start = time.monotonic()
        opened = 0
        pending = []  # connecting, request not yet sent
        while time.monotonic() - start < seconds:
            due = int((time.monotonic() - start) * rate)
            while opened < due:
                connection = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                connection.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
                connection.setblocking(False)
                connection.connect_ex(("127.0.0.1", port))
                held.append(connection)
                pending.append(connection)
                opened += 1
            still = []
            for connection in pending:
                try:
                    connection.send(FLOOD_REQUEST)
                except BlockingIOError:
                    still.append(connection)
                except OSError:
                    pass  # not yet connected, or closed by the server: its choice
            pending[:] = still
            time.sleep(0.005)

    flooding = threading.Thread(target=flood)
    flooding.start()
    time.sleep(0.5)
    times, asked, p99 = fresh_while(port, flooding.is_alive)
    flooding.join()
    for connection in held:
        connection.close()
    print(f"{len(held)} {len(times)} {asked} {p99:.1f}")


if __name__ == "__main__":
    main()
