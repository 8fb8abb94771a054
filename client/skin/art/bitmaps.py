"""The file formats the bar loads its skins from: uncompressed Windows DIBs and the palette file.

Writers take pixels as top-down rows; the readers exist for the generator's self-check.
"""
import struct

PAL_HEADER_SIZE = 24
PAL_ENTRIES = 256
PAL_FILE_SIZE = PAL_HEADER_SIZE + 4 * PAL_ENTRIES


def _stride(width, bits):
    return (width * bits // 8 + 3) & ~3  # DIB rows are padded to whole 32-bit words


def _dib(width, height, bits, table, rows):
    stride = _stride(width, bits)
    body = b''.join(row.ljust(stride, b'\0') for row in reversed(rows))  # bottom-up
    offset = 14 + 40 + len(table)
    colours = len(table) // 4
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(body), 2835, 2835, colours, 0)
    return file_header + info + table + body


def _quads(palette):
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)


def write_bmp24(path, rows):
    """rows: top-down lists of (r, g, b)."""
    packed = [b''.join(struct.pack('<BBB', b, g, r) for r, g, b in row) for row in rows]
    with open(path, 'wb') as f:
        f.write(_dib(len(rows[0]), len(rows), 24, b'', packed))


def write_bmp8(path, rows, palette):
    """rows: top-down lists of indices into palette (256 (r, g, b) entries)."""
    with open(path, 'wb') as f:
        f.write(_dib(len(rows[0]), len(rows), 8, _quads(palette), [bytes(row) for row in rows]))


def write_pal(path, palette):
    # A RIFF palette header for tools that open the file; the client skips it and reads
    # the entries as blue, green, red, 0 - the order of a DIB colour table.
    data_size = 4 + 4 * len(palette)
    header = struct.pack('<4sI4s4sIHH', b'RIFF', 4 + 8 + data_size, b'PAL ', b'data', data_size,
                         0x0300, len(palette))
    with open(path, 'wb') as f:
        f.write(header + _quads(palette))


def read_pal(path):
    with open(path, 'rb') as f:
        data = f.read()
    if len(data) != PAL_FILE_SIZE or data[:4] != b'RIFF' or data[8:12] != b'PAL ':
        raise ValueError('%s: not a %d-byte RIFF palette' % (path, PAL_FILE_SIZE))
    return [(data[i + 2], data[i + 1], data[i]) for i in range(PAL_HEADER_SIZE, len(data), 4)]


def read_bmp(path):
    """Returns (width, height, bits, colour table as (r, g, b) list, pixel rows top-down as
    unpadded bytes) after checking the layout."""
    with open(path, 'rb') as f:
        data = f.read()
    magic, size, _, _, offset = struct.unpack_from('<2sIHHI', data, 0)
    info = struct.unpack_from('<IiiHHIIiiII', data, 14)
    header_size, width, height, planes, bits, compression, image_size, _, _, used, _ = info
    if magic != b'BM' or header_size != 40 or planes != 1 or compression != 0:
        raise ValueError('%s: not an uncompressed DIB' % path)
    if size != len(data):
        raise ValueError('%s: %d bytes, its header says %d' % (path, len(data), size))
    if height <= 0:
        raise ValueError('%s: not bottom-up' % path)
    colours = used or (1 << bits if bits <= 8 else 0)
    if offset != 14 + 40 + 4 * colours or image_size != _stride(width, bits) * height \
            or offset + image_size != size:
        raise ValueError('%s: sizes in the headers do not add up' % path)
    table = [(data[i + 2], data[i + 1], data[i]) for i in range(54, offset, 4)]
    stride, used_bytes = _stride(width, bits), width * bits // 8
    rows = [data[offset + y * stride:offset + y * stride + used_bytes] for y in range(height)]
    return width, height, bits, table, rows[::-1]
