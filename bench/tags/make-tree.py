#!/usr/bin/env python3
"""Builds the benchmark tree: N MP3 files (default 5000) in 50 folders, made from two small
ffmpeg-encoded MP3s (one constant bit rate, one VBR with a Xing header) with different ID3v2
(2.3 or 2.4, some with a picture) and ID3v1 tags. Usage: make-tree.py OUTDIR [N]"""
import os
import subprocess
import sys
import tempfile


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3v2(major, frames, padding):
    body = b""
    for fid, data in frames:
        size = synchsafe(len(data)) if major == 4 else len(data).to_bytes(4, "big")
        body += fid + size + b"\0\0" + data
    body += b"\0" * padding
    return b"ID3" + bytes([major, 0, 0]) + synchsafe(len(body)) + body


def id3v1(title, artist, track):
    return (b"TAG" + title[:30].ljust(30, b"\0") + artist[:30].ljust(30, b"\0") +
            b"Bench album".ljust(30, b"\0") + b"2024" + b"".ljust(28, b"\0") + bytes([0, track, 17]))


def encode(args, out):
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=440:duration=3", "-ac", "2", "-map_metadata", "-1",
                    "-id3v2_version", "0", "-write_id3v1", "0"] + args + [out], check=True)
    with open(out, "rb") as fh:
        return fh.read()


def main():
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
    with tempfile.TemporaryDirectory() as tmp:
        cbr = encode(["-b:a", "128k", "-write_xing", "0"], os.path.join(tmp, "cbr.mp3"))
        vbr = encode(["-q:a", "4"], os.path.join(tmp, "vbr.mp3"))
    picture = b"\0image/jpeg\0\x03\0" + bytes(range(256)) * 8
    for i in range(count):
        folder = os.path.join(out, "d%02d" % (i % 50))
        os.makedirs(folder, exist_ok=True)
        title = ("Title number %d" % i).encode()
        artist = ("Artist %d" % (i % 37)).encode()
        major = 3 if i % 2 == 0 else 4
        frames = [(b"TIT2", b"\0" + title), (b"TPE1", b"\0" + artist),
                  (b"TALB", b"\0Bench album"), (b"TRCK", b"\0%d/20" % (i % 20 + 1))]
        if i % 5 == 0:
            frames.append((b"APIC", picture))
        data = id3v2(major, frames, 512) + (vbr if i % 3 == 0 else cbr) + id3v1(title, artist, i % 20 + 1)
        with open(os.path.join(folder, "track%05d.mp3" % i), "wb") as fh:
            fh.write(data)


if __name__ == "__main__":
    main()
