#!/usr/bin/env python3
"""Writes the client fuzzers' seed inputs, small and well-formed, so the fuzzers start from
files and streams the client really reads.

    make_seeds.py OUTDIR    writes OUTDIR/{bmp,palette,adrecord,packets}/NAME and OUTDIR/stamp
"""
import os
import struct
import sys

sys.dont_write_bytecode = True  # the build runs this from the source tree; leave no caches there
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'skin', 'art'))
import bitmaps  # noqa: E402

AD_URL, AD_TEXT = 260, 3000


def frame(kind, payload=b''):
    return struct.pack('<HH', kind, len(payload)) + payload


def bitfields32(width, height):
    info = struct.pack('<IiiHHIIiiII', 40, width, -height, 1, 32, 3, 4 * width * height, 0, 0, 0, 0)
    masks = struct.pack('<III', 0xFF0000, 0xFF00, 0xFF)
    offset = 14 + len(info) + len(masks)
    return struct.pack('<2sIHHI', b'BM', offset + 4 * width * height, 0, 0, offset) + info + masks + \
        b'\x40' * (4 * width * height)


def rle8():
    stream = b'\x04\x01\x00\x00\x02\x02\x00\x03\x05\x06\x07\x00\x00\x01'  # a run, a literal run, the end
    info = struct.pack('<IiiHHIIiiII', 40, 4, 2, 1, 8, 1, len(stream), 0, 0, 4, 0)
    table = b''.join(struct.pack('<BBBB', i, i, i, 0) for i in range(4))
    offset = 14 + len(info) + len(table)
    return struct.pack('<2sIHHI', b'BM', offset + len(stream), 0, 0, offset) + info + table + stream


def seeds():
    grey = [(i, i, i) for i in range(256)]
    pal_header = struct.pack('<4sI4s4sIHH', b'RIFF', 4 + 8 + 4 + 1024, b'PAL ', b'data', 4 + 1024, 0x300, 256)
    quads = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in grey)
    ad = (b'https://kvx.example/seed'.ljust(AD_URL, b'\0') + b'[Seed]\nA tagline'.ljust(AD_TEXT, b'\0'))
    event = struct.pack('<HHi8s', 5, 5, 10001, b'') + b'\0' * 4 + b'hello'
    return {
        'bmp': {
            'rgb24-4x3': bitmaps._dib(4, 3, 24, b'', [b'\x10\x20\x30' * 4] * 3),
            'indexed8-3x2': bitmaps._dib(3, 2, 8, quads[:64], [b'\x01\x02\x03'] * 2),
            'bitfields32-2x2-top-down': bitfields32(2, 2),
            'rle8-4x2': rle8(),
            'core24-2x2': struct.pack('<2sIHHI', b'BM', 14 + 12 + 16, 0, 0, 14 + 12) +
            struct.pack('<IHHHH', 12, 2, 2, 1, 24) + b'\x20' * 16,
        },
        'palette': {
            'web': pal_header + quads,
            'short': pal_header + quads[:10],
        },
        'adrecord': {
            'whole': ad,
            'short': ad[:100],
        },
        'packets': {
            'login-conversation': frame(1070) + frame(1020) + frame(1080, b'Welcome\0') +
            frame(1050, struct.pack('<i4B', 10001, 127, 0, 8, 1)) + frame(1330, event) +
            frame(1340, struct.pack('<HH4BHH', 600, 1, 127, 0, 8, 2, 27910, 0)),
            'signon-and-unknown': frame(1210, struct.pack('<i', 10002)) + frame(1199, b'x') + frame(1015),
            'info-result': frame(1100, struct.pack('<HH', 1, 0) + b'\0' * 1980),
        },
    }


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    for folder, files in seeds().items():
        os.makedirs(os.path.join(out, folder), exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(out, folder, name), 'wb') as f:
                f.write(data)
    with open(os.path.join(out, 'stamp'), 'w') as f:
        f.write('seeds\n')


if __name__ == '__main__':
    main()
