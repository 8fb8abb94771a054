#!/usr/bin/env python3
# Stand-in game servers: listens on each ADDRESS:PORT given and answers every status query with
# what FOLDER/ADDRESS_PORT holds at that moment (nothing: no answer), adding a byte to
# FOLDER/ADDRESS_PORT.queries for each query; FOLDER/ready appears once all listen.
import os, select, socket, sys

folder, files = sys.argv[1], {}
for server in sys.argv[2:]:
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((server.rsplit(":", 1)[0], int(server.rsplit(":", 1)[1])))
    files[s] = os.path.join(folder, server.replace(":", "_"))
open(os.path.join(folder, "ready"), "w").close()
while True:
    for s in select.select(list(files), [], [])[0]:
        data, sender = s.recvfrom(2048)
        if data.startswith(b"\xff\xff\xff\xffstatus"):  # what follows the word varies by client
            with open(files[s] + ".queries", "a") as log:
                log.write(".")
            answer = open(files[s], "rb").read() if os.path.exists(files[s]) else b""
            if answer:
                s.sendto(answer, sender)
