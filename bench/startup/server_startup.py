#!/usr/bin/env python3
"""Start-up time and idle memory of QuilloryServer.

server_startup.py <QuilloryServer> [starts=5] [settle_ms=2000]

Starts the server offscreen, sends "STATUS SERVER=x;PORT=<p>;" from a bound UDP socket every 20 ms
and times the first "STATUS VER=" answer on UDP 7200; then lets the idle server settle and reads its
VmRSS. Prints each start and the medians. It uses the game's fixed port: run it where nothing else
holds UDP/TCP 7200, e.g.
  unshare -n bash -c 'ip link set lo up; export TMPDIR=$(mktemp -d); bench/startup/server_startup.py build/bin/QuilloryServer'
"""
import os
import signal
import socket
import statistics
import subprocess
import sys
import time

GAME_PORT = 7200
PROBE_EVERY_S = 0.020
GIVE_UP_S = 60.0


def vm_rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def one_start(program, settle_ms):
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.settimeout(PROBE_EVERY_S)
    request = f"STATUS SERVER=x;PORT={port};".encode()
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    start = time.monotonic()
    server = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    answered = None
    try:
        while time.monotonic() - start < GIVE_UP_S and server.poll() is None:
            probe.sendto(request, ("127.0.0.1", GAME_PORT))
            deadline = time.monotonic() + PROBE_EVERY_S
            while time.monotonic() < deadline:
                try:
                    data, _ = probe.recvfrom(65535)
                except (socket.timeout, ConnectionRefusedError):
                    break
                if data.startswith(b"STATUS VER="):
                    answered = time.monotonic() - start
                    break
            if answered is not None:
                break
        if answered is None:
            raise SystemExit(f"no STATUS answer within {GIVE_UP_S} s (exit code {server.poll()})")
        time.sleep(settle_ms / 1000.0)
        rss = vm_rss_kib(server.pid)
    finally:
        if server.poll() is None:
            server.send_signal(signal.SIGTERM)
            try:
                server.wait(10)
            except subprocess.TimeoutExpired:
                server.kill()
                server.wait()
        probe.close()
    return answered, rss


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    program = os.path.abspath(sys.argv[1])
    starts = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    settle_ms = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    times, rsses = [], []
    for i in range(starts):
        answered, rss = one_start(program, settle_ms)
        times.append(answered * 1000.0)
        rsses.append(rss)
        print(f"start {i + 1}: first STATUS answer after {answered * 1000.0:.1f} ms, "
              f"VmRSS {rss} kB after {settle_ms} ms idle")
        time.sleep(0.5)
    print(f"median of {starts}: start-up {statistics.median(times):.1f} ms, "
          f"VmRSS {statistics.median(rsses):.0f} kB")


if __name__ == "__main__":
    main()
