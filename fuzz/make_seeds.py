#!/usr/bin/env python3
"""Writes the small seed inputs of the fuzzing harnesses into fuzz/corpus/."""
import io
import os
import struct
import zipfile
import zlib

here = os.path.dirname(os.path.abspath(__file__))


def write(harness, name, data):
    folder = os.path.join(here, "corpus", harness)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def rar4(large_size):
    header = bytearray(40)
    header[2] = 0x74
    struct.pack_into("<HH", header, 3, 0x100, 40)
    struct.pack_into("<I", header, 7, large_size & 0xFFFFFFFF)
    header[25] = 0x30
    struct.pack_into("<I", header, 32, large_size >> 32)
    return b"Rar!\x1a\x07\x00" + bytes(header) + b"data"


def lha0(name, data):
    body = b"-lh0-" + struct.pack("<IIIBBB", len(data), len(data), 0, 0x20, 0, len(name)) + name
    body += struct.pack("<H", 0)
    return bytes([len(body), sum(body) & 0xFF]) + body + data + b"\x00"


def cab(name, data):
    folder = struct.pack("<IHH", 36 + 8 + 16 + len(name) + 1, 1, 0)
    entry = struct.pack("<IIHHHH", len(data), 0, 0, 0, 0, 0x20) + name + b"\x00"
    block = struct.pack("<IHH", 0, len(data), len(data)) + data
    header = b"MSCF" + struct.pack("<IIIIIBBHHHHH", 0, 36 + len(folder) + len(entry) + len(block), 0,
                                   36 + len(folder), 0, 3, 1, 1, 1, 0, 0, 0)
    return header + folder + entry + block


def zip_file():
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("dir/a.txt", "needle\r\n" * 4)
        z.writestr("b.txt", "hay")
    return out.getvalue()


write("header_walks", "rar4-wrap", rar4((1 << 64) - 54))
write("header_walks", "rar4-plain", rar4(4))
write("header_walks", "lha0", lha0(b"a.txt", b"hello"))
write("header_walks", "cab", cab(b"a.txt", b"hello"))
write("header_walks", "zip", zip_file())
write("header_walks", "sfx-lha", b"MZ" + b"\x00" * 62 + lha0(b"x.txt", b"x"))

def frame(kind, texts, numbers):
    body = bytes([kind]) + struct.pack("<I", len(texts))
    for t in texts:
        body += struct.pack("<I", len(t)) + t
    body += struct.pack("<I", len(numbers)) + b"".join(struct.pack("<q", n) for n in numbers)
    return struct.pack("<I", len(body)) + body

write("worker_messages", "event", frame(17, [b"a.lzh", b"docs/a.txt", b"line"], [1, 1, 3]))
write("worker_messages", "two", frame(18, [], [1, 0, 0, 2]) + frame(16, [b"ready"], []))
write("worker_messages", "cut", frame(17, [b"abc"], [5])[:-3])

# Text decoding: byte 0 picks the encoding (and the detector's flags), byte 1
# the piece size.
write("text_decoding", "utf8", b"\x00\x05" + "検索する\nテキスト\r\n".encode("utf-8"))
write("text_decoding", "utf16le", b"\x03\x07" + "検索\n😀\n".encode("utf-16-le"))
write("text_decoding", "eucjp", b"\x03\x09" + "検索です\nｶﾅ\n".encode("euc-jp"))
write("text_decoding", "iso2022jp", b"\x04\x02" + "検索\nabc\n".encode("iso-2022-jp"))
