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

# Patterns: byte 0 the flags (bit 0 fuzzy), the pattern, NUL, the text.
def sjis(text):
    return text.encode("cp932")

text = sjis("検索する文字列\nabc ABC ａｂｃ\r\nカタカナ かたかな\n\tタブ\x00NUL\nend")
for name, flags, pattern in [
        ("literal", 0, sjis("abc")), ("fuzzy", 1, sjis("かたかな")), ("class", 0, b"[a-c]+\\d*"),
        ("alternation", 1, sjis("(検索|カタ)カ?")), ("anchors", 0, b"^end$"), ("hex", 0, b"\\x41B\\.C"),
        ("broken", 0, b"(a|[b-")]:
    write("pattern", name, bytes([flags]) + pattern + b"\x00" + text)

# Text reader: byte 0 the flags (bit 0 grows the text past one block, bits
# 1-3 the encoding choice), byte 1 the piece size.
write("text_reader", "cp932", b"\x02\x05" + text)
write("text_reader", "crlf-split", b"\x01\x03" + b"ab\r\ncd\r\r\n" + sjis("漢") + b"\r")
write("text_reader", "utf16", b"\x06\x07" + "検索\r\n行\n".encode("utf-16"))
write("text_reader", "lead-at-end", b"\x01\x01" + b"x" * 100 + b"\x82")

# INI and condition files.
write("ini_file", "conditions", "[Condition]\r\nRegExp=検索\r\nFuzzy=1\r\n[Option]\r\nFolder=/tmp\r\n"
      "Mask=*.lzh;*.zip\r\nSubFolder=1\r\n".encode("utf-8"))
write("ini_file", "cp932", sjis("[Condition]\nRegExp=漢字\n[Option]\nEncoding=euc-jp\n"))
write("ini_file", "odd", b"\xef\xbb\xbf; note\n[A]\nx\n=y\n[ A ]\nk=1=2\n[FuzzChange]\nKey=old\n[]\n")

# Command lines: byte 0 picks the dialect, the line, NUL, the response file.
for dialect, line in enumerate([b"x -+jf- -d -a1 -l0 a.lzh out/ @resp.txt", b"-x -o -i a.cab dest\\ *.txt",
                                b"--use-directory=1 -x -v -f \"a b.tgz\" d/", b"x -p1 -jyo a.arj o/ !resp.txt",
                                b"-x -o a.rar d/ \"x\"\"y\"", b"-x -C -s --i -o a.zip d/ @resp.txt",
                                b"x -aoa -hide -o\"out dir\" a.7z"]):
    write("command_line", "dialect%d" % dialect, bytes([dialect]) + line + b"\x00a.txt\r\n\"b \"\"c\"\".txt\"\n\n")

# Registry operations: op byte, then length-prefixed texts.
def op(code, *texts):
    return bytes([code]) + b"".join(bytes([len(t)]) + t for t in texts)

write("registry", "settings", op(0x10, b"Software\\ZuRivo\\History") + op(5, b"Pattern0", sjis("検索"))
      + op(6, b"Count") + b"\x02\x00\x00\x00" + op(10) + op(9, b"Pattern0") + op(2) + op(4, b"Software\\ZuRivo"))
write("registry", "paths", op(11, b"\\A\\\\B\\", b"C\\") + op(3, b"A\\" + b"x" * 253) + op(1, b"A") + op(5, b"n", b"v"))
