#!/usr/bin/env python3
"""A game server as far as a status query can tell: answers every FF FF FF FF "status\\n"
datagram on ADDRESS:PORT with the bytes of ANSWER_FILE (an empty file: never answers), and
logs one line per query to FOLDER/queries. FOLDER/ready appears once it listens."""
import os
import socket
import sys

QUERY = b"\xff\xff\xff\xffstatus"  # what follows the word varies by client


def main():
    address, port, answer_file, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    with open(answer_file, "rb") as f:
        answer = f.read()
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((address, port))
    open(os.path.join(folder, "ready"), "w").close()
    while True:
        data, sender = s.recvfrom(2048)
        if not data.startswith(QUERY):
            continue
        with open(os.path.join(folder, "queries"), "a") as log:
            log.write("%s:%d\n" % sender)
        if answer:
            s.sendto(answer, sender)


if __name__ == "__main__":
    main()
