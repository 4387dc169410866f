#!/usr/bin/env python3
"""Builds the FLAC benchmark tree: N FLAC files (default 5000) in 50 folders, made from two
small ffmpeg-encoded FLACs of 3 s (44.1 kHz stereo and 48 kHz mono) with different Vorbis
comments (artist, title, album, track), 1 KB of padding, and on every fifth file a small JPEG
picture block in front of the comments. Usage: make-flac-tree.py OUTDIR [N]"""
import os
import struct
import subprocess
import sys
import tempfile


def encode(args, out):
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=440:duration=3", "-map_metadata", "-1"] + args +
                   ["-c:a", "flac", out], check=True)
    with open(out, "rb") as fh:
        data = fh.read()
    # Keep STREAMINFO, drop the other metadata blocks: the tree writes its own.
    assert data[:4] == b"fLaC"
    pos, streaminfo = 4, None
    while True:
        header = data[pos]
        size = int.from_bytes(data[pos + 1:pos + 4], "big")
        if header & 0x7F == 0:
            streaminfo = data[pos + 4:pos + 4 + size]
        pos += 4 + size
        if header & 0x80:
            break
    return streaminfo, data[pos:]


def block(kind, body, last=False):
    return bytes([kind | (0x80 if last else 0)]) + len(body).to_bytes(3, "big") + body


def vorbis_comment(fields):
    vendor = b"bench tree"
    body = struct.pack("<I", len(vendor)) + vendor + struct.pack("<I", len(fields))
    for f in fields:
        body += struct.pack("<I", len(f)) + f
    return body


def picture(tmp):
    jpeg = os.path.join(tmp, "cover.jpg")
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "testsrc=size=48x48", "-frames:v", "1", jpeg], check=True)
    with open(jpeg, "rb") as fh:
        data = fh.read()
    mime, desc = b"image/jpeg", b""
    return (struct.pack(">I", 3) + struct.pack(">I", len(mime)) + mime +
            struct.pack(">I", len(desc)) + desc + struct.pack(">IIIII", 48, 48, 24, 0, len(data)) +
            data)


def main():
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
    with tempfile.TemporaryDirectory() as tmp:
        sources = [encode(["-ar", "44100", "-ac", "2"], os.path.join(tmp, "a.flac")),
                   encode(["-ar", "48000", "-ac", "1"], os.path.join(tmp, "b.flac"))]
        pic = picture(tmp)
    for i in range(count):
        folder = os.path.join(out, "d%02d" % (i % 50))
        os.makedirs(folder, exist_ok=True)
        streaminfo, frames = sources[i % 2]
        fields = [b"TITLE=Title number %d" % i, b"ARTIST=Artist %d" % (i % 37),
                  b"ALBUM=Bench album", b"TRACKNUMBER=%d" % (i % 20 + 1)]
        blocks = block(0, streaminfo)
        if i % 5 == 0:
            blocks += block(6, pic)
        blocks += block(4, vorbis_comment(fields)) + block(1, bytes(1024), last=True)
        with open(os.path.join(folder, "track%05d.flac" % i), "wb") as fh:
            fh.write(b"fLaC" + blocks + frames)


if __name__ == "__main__":
    main()
