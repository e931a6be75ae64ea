#!/usr/bin/env python3
"""The kernel's TCP memory and fresh clients' answers under connections that don't read.

    tcp_memory.py PORT COUNT REPEAT TARGET AUTH_FIELD SIP_BYTES SIP_SECONDS SECONDS

Opens COUNT connections to 127.0.0.1:PORT, each sending REPEAT pipelined GETs of TARGET with the
given Authorization field (as much as its socket takes without blocking), after which each reads
SIP_BYTES every SIP_SECONDS (SIP_BYTES 0: never). For SECONDS a fresh client asks for "/" every
50 ms and waits at most 2 s for a whole 200, while the kernel's TCP memory (the "mem" pages of
/proc/net/sockstat, every socket of the host, both ends of loopback included) is sampled. Prints
"before peak answered asked p99 max": memory in MiB before and at the peak, then the fresh
clients answered and asked, and their 99th percentile and longest time in ms.
"""
import resource
import socket
import sys
import threading
import time

from flood import fresh_while


def tcp_memory_mib():
    with open("/proc/net/sockstat") as stat:
        for line in stat:
            if line.startswith("TCP:"):
                fields = line.split()
                return int(fields[fields.index("mem") + 1]) * 4096 / 2**20
    return 0.0


def main():
    port, count, repeat = (int(arg) for arg in sys.argv[1:4])
    target, auth = sys.argv[4], sys.argv[5]
    sip_bytes, sip_seconds, seconds = int(sys.argv[6]), float(sys.argv[7]), float(sys.argv[8])
    _, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    request = (f"GET {target} HTTP/1.1\r\nHost: 127.0.0.1\r\n{auth}\r\n\r\n").encode() * repeat

    before = tcp_memory_mib()
    connections = []
    for _ in range(count):
        connection = socket.create_connection(("127.0.0.1", port))
        connection.setblocking(False)
        try:
            connection.send(request)
        except OSError:
            pass
        connections.append(connection)

    done = threading.Event()
    peak = [before]

    def sample():
        while not done.is_set():
            peak[0] = max(peak[0], tcp_memory_mib())
            time.sleep(0.05)

    def sip():
        while not done.wait(sip_seconds):
            for connection in connections:
                try:
                    connection.recv(sip_bytes)
                except OSError:
                    pass

    threads = [threading.Thread(target=sample)]
    if sip_bytes > 0:
        threads.append(threading.Thread(target=sip))
    for thread in threads:
        thread.start()
    end = time.monotonic() + seconds
    times, asked, p99 = fresh_while(port, lambda: time.monotonic() < end)
    done.set()
    for thread in threads:
        thread.join()
    for connection in connections:
        connection.close()
    longest = times[-1] * 1000 if times else 0
    print(f"{before:.1f} {peak[0]:.1f} {len(times)} {asked} {p99:.1f} {longest:.1f}")


if __name__ == "__main__":
    main()
