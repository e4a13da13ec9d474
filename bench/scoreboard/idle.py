#!/usr/bin/env python3
"""Opens N keep-alive connections to the scoreboard, asks one question on each, then holds them
all idle until its standard input closes; prints how many were answered."""
import resource
import socket
import sys

port, count = int(sys.argv[1]), int(sys.argv[2])
soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
held = []
answered = 0
for _ in range(count):
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(b"GET /healthz HTTP/1.1\r\nHost: bench\r\n\r\n")
    held.append(s)
for s in held:
    reply = b""
    while b"\r\n\r\n" not in reply:
        chunk = s.recv(4096)
        if not chunk:
            break
        reply += chunk
    if reply.startswith(b"HTTP/1.1 200"):
        answered += 1
print(f"{answered} of {count} connections answered and held", flush=True)
sys.stdin.read()
