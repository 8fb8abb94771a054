#!/usr/bin/env python3
"""Game servers as far as a status query can tell: listens on every ADDRESS:PORT given and
answers each FF FF FF FF "status..." datagram with the bytes the file FOLDER/ADDRESS_PORT holds
at that moment (missing or empty: no answer), logging the server's name to FOLDER/queries
for each query. FOLDER/ready appears once all of them listen."""
import os
import select
import socket
import sys

QUERY = b"\xff\xff\xff\xffstatus"  # what follows the word varies by client


def main():
    folder, servers = sys.argv[1], sys.argv[2:]
    files = {}
    for server in servers:
        address, port = server.rsplit(":", 1)
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind((address, int(port)))
        files[s] = server.replace(":", "_")
    open(os.path.join(folder, "ready"), "w").close()
    while True:
        for s in select.select(list(files), [], [])[0]:
            data, sender = s.recvfrom(2048)
            if not data.startswith(QUERY):
                continue
            with open(os.path.join(folder, "queries"), "a") as log:
                log.write(files[s] + "\n")
            path = os.path.join(folder, files[s])
            answer = open(path, "rb").read() if os.path.exists(path) else b""
            if answer:
                s.sendto(answer, sender)


if __name__ == "__main__":
    main()
