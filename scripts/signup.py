#!/usr/bin/env python3
"""Creates an account on a KVX server over the wire, as the sign-up wizard would, and
prints its number: for screenshots and for trying the client without the wizard.
    scripts/signup.py HOST PASSWORD [NICKNAME [EMAIL]]
The packets are those of wire/PROTOCOL.md."""
import socket
import struct
import sys

BUILD = 146
PKT_VERSION, PKT_VERSION_OK = 1065, 1070
PKT_SIGNUP_REQUEST, PKT_SIGNUP_OK, PKT_SIGNUP_ERROR = 1200, 1210, 1220


def send(sock, kind, payload=b''):
    sock.sendall(struct.pack('<HH', kind, len(payload)) + payload)


def receive(sock):
    def exactly(n):
        data = b''
        while len(data) < n:
            chunk = sock.recv(n - len(data))
            if not chunk:
                sys.exit('signup: the server hung up')
            data += chunk
        return data
    kind, length = struct.unpack('<HH', exactly(4))
    return kind, exactly(length)


def field(text, size):
    data = text.encode('latin-1')[:size - 1]
    return data + b'\0' * (size - len(data))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    host, password = sys.argv[1], sys.argv[2]
    nickname = sys.argv[3] if len(sys.argv) > 3 else 'player'
    email = sys.argv[4] if len(sys.argv) > 4 else 'player@kvx.example'
    with socket.create_connection((host, 2600), timeout=10) as sock:
        send(sock, PKT_VERSION, struct.pack('<I', BUILD))
        kind, _ = receive(sock)
        if kind != PKT_VERSION_OK:
            sys.exit('signup: the server refused build %d' % BUILD)
        send(sock, PKT_SIGNUP_REQUEST, field(nickname, 32) + field(email, 92) + field(password, 32))
        kind, payload = receive(sock)
        if kind == PKT_SIGNUP_ERROR:
            sys.exit('signup: ' + payload.split(b'\0')[0].decode('latin-1'))
        if kind != PKT_SIGNUP_OK:
            sys.exit('signup: unexpected answer %d' % kind)
        print(struct.unpack('<i', payload[:4])[0])


if __name__ == '__main__':
    main()
