#!/usr/bin/env python3
"""Creates an account on a KVX server over the wire, as the sign-up wizard would, and
prints its number: for screenshots and for trying the client without the wizard.
    scripts/signup.py [--fingerprint AB:CD:...] HOST PASSWORD [NICKNAME [EMAIL]]
It speaks TLS, as the client does: the server's certificate must have the SHA-256
fingerprint given (a self-run server's, printed at its start), or else be trusted by the
system for HOST. The packets are those of wire/PROTOCOL.md."""
import hashlib
import socket
import ssl
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


def connect(host, fingerprint):
    context = ssl.create_default_context()
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    if fingerprint:
        # The pin is the trust: a self-signed certificate, its name not checked.
        context.check_hostname = False
        context.verify_mode = ssl.CERT_NONE
    try:
        sock = context.wrap_socket(socket.create_connection((host, 2600), timeout=10), server_hostname=host)
    except (OSError, ssl.SSLError) as failure:
        sys.exit('signup: no TLS connection to %s: %s' % (host, failure))
    if fingerprint:
        seen = hashlib.sha256(sock.getpeercert(binary_form=True)).hexdigest()
        if seen != fingerprint.replace(':', '').lower():
            sock.close()
            sys.exit('signup: the server\'s certificate is not the one pinned')
    return sock


def main():
    args = sys.argv[1:]
    fingerprint = ''
    if args[:1] == ['--fingerprint'] and len(args) > 1:
        fingerprint, args = args[1], args[2:]
    if len(args) < 2:
        sys.exit(__doc__)
    host, password = args[0], args[1]
    nickname = args[2] if len(args) > 2 else 'player'
    email = args[3] if len(args) > 3 else 'player@kvx.example'
    with connect(host, fingerprint) as sock:
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
