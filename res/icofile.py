"""Writes and reads Windows .ico files: 32-bit BGRA images with their AND mask, no other modules.

Used by make_icons.py, and by the end-to-end tests to write single-colour icons and to read the
program's own pictures.
"""

import struct

# One image: (size, pixels) where pixels is a list of size*size (r, g, b, a) tuples, 0-255,
# row by row from the top, straight (not premultiplied) alpha.


def _bitmap(size, pixels):
    """The image as stored in an .ico: header, bottom-up BGRA rows, bottom-up 1-bit AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_row_bytes = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = pixels[y * size:(y + 1) * size]
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:  # a set AND bit keeps the screen: fully transparent
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def encode(images):
    """The bytes of an .ico holding the images, in the order given."""
    blobs = [_bitmap(size, pixels) for size, pixels in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        dim = size if size < 256 else 0
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def write(path, images):
    with open(path, "wb") as f:
        f.write(encode(images))


def read(path):
    """The 32-bit images of an .ico as (size, pixels), in the file's order; other images are
    left out."""
    with open(path, "rb") as f:
        data = f.read()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError(f"{path}: not an icon file")
    images = []
    for n in range(count):
        _, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        size_, width, height2, _, bits = struct.unpack_from("<IiiHH", data, offset)
        if bits != 32 or height2 != 2 * width:
            continue
        rows = []
        start = offset + size_
        for y in range(width):
            row = data[start + y * width * 4:start + (y + 1) * width * 4]
            rows.append([(row[i + 2], row[i + 1], row[i], row[i + 3]) for i in range(0, len(row), 4)])
        rows.reverse()
        images.append((width, [p for row in rows for p in row]))
    return images
