#!/usr/bin/env python3
"""Writes the seed corpora of the tag fuzz targets into corpus/<target>/ (run from anywhere)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3v2(major, frames, padding=0, flags=0, ext=b""):
    body = ext
    for fid, data, fmt in frames:
        if major == 2:
            body += fid + struct.pack(">I", len(data))[1:] + data
        elif major == 3:
            body += fid + struct.pack(">I", len(data)) + bytes([0, fmt]) + data
        else:
            body += fid + synchsafe(len(data)) + bytes([0, fmt]) + data
    body += b"\0" * padding
    return b"ID3" + bytes([major, 0, flags]) + synchsafe(len(body)) + body


def id3v1(title, artist, comment, b125, b126, genre):
    t = b"TAG" + title.ljust(30, b"\0") + artist.ljust(30, b"\0") + b"Album".ljust(30, b"\0")
    t += b"1999" + comment.ljust(28, b"\0") + bytes([b125, b126, genre])
    return t


def lyrics3(fields):
    body = b"LYRICSBEGIN" + b"".join(i + b"%05d" % len(d) + d for i, d in fields)
    return body + b"%06d" % len(body) + b"LYRICS200"


def frame_len(ver, layer, kbps, rate, pad):
    coef = 48 if layer == 3 else (144 if ver == 3 or layer == 2 else 72)
    return coef * kbps * 1000 // rate + (0 if not pad else (4 if layer == 3 else 1))


def frames(count, ver=3, layer=1, bri=9, kbps=128, sri=0, rate=44100, mode=0, first=None):
    head = bytes([0xFF, 0xE0 | ver << 3 | layer << 1 | 1, bri << 4 | sri << 2, mode << 6])
    n = frame_len(ver, layer, kbps, rate, False)
    f = head + b"\0" * (n - 4)
    out = (first if first is not None else f) + f * (count - 1)
    return out, n


def write(target, name, data):
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as fh:
        fh.write(data)


audio = b"\x55" * 300
write("id3v1", "v10", audio + id3v1(b"Title", b"Artist", b"comment".ljust(30, b" "), 0x20, 0x20, 17))
write("id3v1", "v11", audio + id3v1(b"Title", b"Artist", b"c", 0, 7, 255))
write("id3v1", "lyrics3-and-id3v1", audio + lyrics3([(b"IND", b"11"), (b"LYR", b"a\rb\r\nc"),
                                                     (b"ETT", b"T" * 40), (b"EAR", b"A"),
                                                     (b"AUT", b"W"), (b"INF", b"I"), (b"EAL", b"E"),
                                                     (b"IMG", b"x")]) + id3v1(b"T", b"", b"", 0, 0, 1))
write("id3v1", "lyrics3-alone", audio + lyrics3([(b"ETT", b"only")]))
write("id3v1", "lyrics3-bad-size", audio + b"00x000LYRICS200" + id3v1(b"T", b"", b"", 0, 0, 1))

t = lambda s: b"\0" + s
write("id3v2", "v22", id3v2(2, [(b"TT2", t(b"Title"), 0), (b"TP1", t(b"Artist"), 0),
                               (b"COM", b"\0eng\0text", 0)], 20) + audio)
write("id3v2", "v23-ext-unsync", id3v2(3, [(b"TIT2", t(b"a\xff\0b"), 0), (b"TRCK", t(b"3/12"), 0),
                                           (b"TCON", t(b"(17)Rock"), 0)], 16, 0xC0,
                                       b"\0\0\0\x06" + b"\0" * 6) + audio)
write("id3v2", "v24-picture-utf", id3v2(4, [(b"APIC", b"\0image/png\0\x03\0" + b"\x89" * 200, 0),
                                            (b"TIT2", b"\x01\xff\xfeT\0i\0", 0),
                                            (b"TPE1", b"\x02\0A\0r", 0), (b"TALB", b"\x03Alb\xc3\xbcm", 0),
                                            (b"WXXX", b"\x00d\0http://x/", 0),
                                            (b"TDRC", t(b"2004-01-01"), 0x03)], 40, 0x10) + audio)
write("id3v2", "v23-overrun", id3v2(3, [(b"TPE1", t(b"x"), 0)])[:-1] + b"\x7f" + audio)

cbr, n = frames(12)
write("mpeg", "cbr-with-tags", id3v2(3, [(b"TIT2", t(b"x"), 0)], 500) + cbr +
      id3v1(b"T", b"", b"", 0, 0, 1))
first = bytearray(cbr[:n])
first[36:40] = b"Xing"
first[44:48] = struct.pack(">I", 1000)
first[48:52] = struct.pack(">I", 400000)
first[156:164] = b"LAME3.99"
write("mpeg", "xing", bytes(first) + cbr[n:])
first = bytearray(cbr[:n])
first[36:40] = b"VBRI"
first[46:50] = struct.pack(">I", 300000)
first[50:54] = struct.pack(">I", 800)
write("mpeg", "vbri", bytes(first) + cbr[n:])
mpeg25, _ = frames(10, ver=0, bri=4, kbps=32, sri=2, rate=8000, mode=3)
write("mpeg", "mpeg25-mono", b"junk" * 10 + mpeg25)
mpeg2l2, _ = frames(8, ver=2, layer=2, bri=8, kbps=64, sri=1, rate=24000)
write("mpeg", "mpeg2-layer2", mpeg2l2 + lyrics3([(b"ETT", b"x")]))
