#!/usr/bin/env python3
"""Memory of a server under connections that send requests and never read the answers.

    never_read.py PORT PID COUNT REPEAT TARGET AUTH_FIELD

Opens COUNT connections to 127.0.0.1:PORT, each with a small receive buffer, and sends on each
REPEAT pipelined GETs of TARGET with the given Authorization field and a Range field of about
7 KB (bytes=0-,0-,...), as much as the socket takes without blocking. Prints the server's
(PID) resident memory in MiB before, 2 s into it, its peak (sampled every 50 ms and from the
kernel's high-water mark), and 2 s after every connection has closed: "before during peak
after".
"""
import socket
import sys
import time


def status_mib(pid, field):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(field):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    port, pid, count, repeat = (int(arg) for arg in sys.argv[1:5])
    target, auth = sys.argv[5], sys.argv[6]
    ranges = "bytes=0-" + ",0-" * 2300
    request = (f"GET {target} HTTP/1.1\r\nHost: 127.0.0.1\r\n{auth}\r\n"
               f"Range: {ranges}\r\n\r\n").encode() * repeat
    # Peak from here on, over what the server holds now.
    with open(f"/proc/{pid}/clear_refs", "w") as refs:
        refs.write("5")
    before = status_mib(pid, "VmRSS:")
    connections = []
    for _ in range(count):
        connection = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        connection.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        connection.connect(("127.0.0.1", port))
        connection.setblocking(False)
        try:
            connection.send(request)
        except BlockingIOError:
            pass
        connections.append(connection)
    peak = before
    for _ in range(40):
        time.sleep(0.05)
        peak = max(peak, status_mib(pid, "VmRSS:"))
    during = status_mib(pid, "VmRSS:")
    for connection in connections:
        connection.close()
    time.sleep(2)
    peak = max(peak, status_mib(pid, "VmHWM:"))
    after = status_mib(pid, "VmRSS:")
    print(f"{before:.1f} {during:.1f} {peak:.1f} {after:.1f}")


if __name__ == "__main__":
    main()
