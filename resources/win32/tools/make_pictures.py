#!/usr/bin/env python3
"""Makes the Windows resource pictures; the outputs are committed.

  make_pictures.py about SNAPSHOT.png about.bmp   picture of the about box:
      the snapshot scaled to 150 x 97 and reduced to a 256-colour palette,
      written as an 8-bit palettised BMP
  make_pictures.py icons veltrane.ico             the window class icon:
      32 x 32 and 16 x 16 images (icons 1 and 2 of group 100)

Plain Python: no imaging library is needed on the build machine.
"""
import math
import struct
import sys
import zlib

ABOUT_WIDTH, ABOUT_HEIGHT = 150, 97


def read_png(path):
    """Returns (width, height, rows of (r, g, b)) for 8-bit RGB/RGBA, non-interlaced."""
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise SystemExit(f'{path}: not a PNG file')
    pos, idat, header = 8, b'', None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat += body
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise SystemExit(f'{path}: only 8-bit RGB or RGBA, non-interlaced, is supported')
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + pred) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def scale(rows, width, height, out_w, out_h):
    """Box filter: every output pixel averages the source pixels it covers."""
    result = []
    for oy in range(out_h):
        y0, y1 = oy * height // out_h, max(oy * height // out_h + 1, (oy + 1) * height // out_h)
        line = []
        for ox in range(out_w):
            x0, x1 = ox * width // out_w, max(ox * width // out_w + 1, (ox + 1) * width // out_w)
            acc, n = [0, 0, 0], 0
            for y in range(y0, y1):
                for x in range(x0, x1):
                    p = rows[y][x]
                    acc[0] += p[0]; acc[1] += p[1]; acc[2] += p[2]
                    n += 1
            line.append(tuple(round(c / n) for c in acc))
        result.append(line)
    return result


def palette_for(pixels, size=256):
    """Median cut over the picture's colours."""
    boxes = [list(set(pixels))]
    while len(boxes) < size:
        boxes.sort(key=lambda b: max(max(c[k] for c in b) - min(c[k] for c in b) for k in range(3)) if len(b) > 1 else -1)
        box = boxes.pop()
        if len(box) < 2:
            boxes.append(box)
            break
        k = max(range(3), key=lambda k: max(c[k] for c in box) - min(c[k] for c in box))
        box.sort(key=lambda c: c[k])
        mid = len(box) // 2
        boxes += [box[:mid], box[mid:]]
    palette = [tuple(round(sum(c[k] for c in b) / len(b)) for k in range(3)) for b in boxes]
    return palette + [(0, 0, 0)] * (size - len(palette))


def write_bmp8(path, rows):
    height, width = len(rows), len(rows[0])
    flat = [p for line in rows for p in line]
    palette = palette_for(flat)
    cache = {}

    def nearest(p):
        if p not in cache:
            cache[p] = min(range(256), key=lambda i: sum((palette[i][k] - p[k]) ** 2 for k in range(3)))
        return cache[p]

    stride = (width + 3) & ~3
    pixels = bytearray()
    for line in reversed(rows):  # bottom-up
        pixels += bytes(nearest(p) for p in line) + bytes(stride - width)
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    with open(path, 'wb') as out:
        out.write(b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + colours + pixels)


def stroke_picture(width, height):
    """A few glossy strokes on black, the saver's look in miniature."""
    img = [[[0.0, 0.0, 0.0] for _ in range(width)] for _ in range(height)]

    def splat(cx, cy, radius, colour):
        for y in range(max(0, int(cy - 3 * radius)), min(height, int(cy + 3 * radius) + 2)):
            for x in range(max(0, int(cx - 3 * radius)), min(width, int(cx + 3 * radius) + 2)):
                w = math.exp(-((x - cx) ** 2 + (y - cy) ** 2) / (2 * radius * radius))
                for k in range(3):
                    img[y][x][k] = max(img[y][x][k], colour[k] * w)

    def branch(x, y, angle, length, thickness, depth):
        steps = max(4, int(length * 2))
        for s in range(steps):
            t = s / steps
            a = angle + 0.9 * math.sin(3 * t + depth)
            x += math.cos(a) * length / steps
            y += math.sin(a) * length / steps
            r = max(0.5, thickness * (1 - 0.6 * t))
            splat(x, y, r, (0.25, 0.3, 0.85))
            splat(x - 0.3 * r, y - 0.3 * r, 0.35 * r, (0.95, 0.95, 1.0))
        if depth > 0:
            branch(x, y, angle - 0.7, length * 0.7, thickness * 0.7, depth - 1)
            branch(x, y, angle + 0.6, length * 0.65, thickness * 0.7, depth - 1)

    scale_ = min(width, height) / 97
    branch(width * 0.15, height * 0.85, -0.9, 40 * scale_, 2.4 * scale_, 3)
    branch(width * 0.85, height * 0.8, -2.3, 36 * scale_, 2.2 * scale_, 3)
    return [[tuple(min(255, round(c * 255)) for c in p) for p in line] for line in img]


def write_ico(path, sizes):
    images = []
    for size in sizes:
        rows = stroke_picture(size, size)
        xor = bytearray()
        for line in reversed(rows):
            for r, g, b in line:
                xor += bytes((b, g, r, 255))
        mask_stride = ((size + 31) // 32) * 4
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        images.append(header + xor + bytes(mask_stride * size))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def main(argv):
    if len(argv) == 4 and argv[1] == 'about':
        if argv[2] == '-':
            rows = stroke_picture(ABOUT_WIDTH, ABOUT_HEIGHT)
        else:
            width, height, src = read_png(argv[2])
            rows = scale(src, width, height, ABOUT_WIDTH, ABOUT_HEIGHT)
        write_bmp8(argv[3], rows)
    elif len(argv) == 3 and argv[1] == 'icons':
        write_ico(argv[2], [32, 16])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
