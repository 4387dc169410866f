#!/usr/bin/env python3
"""Builds a tag-reading benchmark tree of N files named .mp3 (default 5000) in 50 folders.

  make-tree.py OUTDIR [N]            two small ffmpeg-encoded MP3s (one constant bit rate, one
                                     VBR with a Xing header) with different ID3v2 (2.3 or 2.4,
                                     some with a picture) and ID3v1 tags
  make-tree.py --varied OUTDIR [N]   the variety found in real collections, in 20 kinds of 5 %
                                     each (see KINDS): free-format, broken and truncated frames,
                                     VBR with and without Xing or VBRI, ID3v2 with padding,
                                     pictures and unsynchronisation, ID3v1 + Lyrics3, APE tags at
                                     the end, and 10 % files that are not MPEG audio at all

The audio comes from ffmpeg (Debian's); the odd cases are written byte by byte here."""
import os
import random
import subprocess
import sys
import tempfile


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def unsynchronise(body):
    """Inserts a zero after every 0xFF that is followed by 0xE0 or more, or by zero, or ends."""
    out = bytearray()
    for k, b in enumerate(body):
        out.append(b)
        if b == 0xFF and (k + 1 == len(body) or body[k + 1] >= 0xE0 or body[k + 1] == 0):
            out.append(0)
    return bytes(out)


def id3v2(major, frames, padding, unsync=False):
    body = b""
    for fid, data in frames:
        if major == 2:
            body += fid[:3] + len(data).to_bytes(3, "big") + data
            continue
        size = synchsafe(len(data)) if major == 4 else len(data).to_bytes(4, "big")
        body += fid + size + b"\0\0" + data
    flags = 0
    if unsync:  # before 2.4 unsynchronisation covers the whole body
        body = unsynchronise(body)
        flags |= 0x80
    body += b"\0" * padding
    return b"ID3" + bytes([major, 0, flags]) + synchsafe(len(body)) + body


def id3v1(title, artist, track):
    return (b"TAG" + title[:30].ljust(30, b"\0") + artist[:30].ljust(30, b"\0") +
            b"Bench album".ljust(30, b"\0") + b"2024" + b"".ljust(28, b"\0") + bytes([0, track, 17]))


def lyrics3(text):
    fields = b"IND00002" + b"10" + b"LYR" + b"%05d" % len(text) + text
    block = b"LYRICSBEGIN" + fields
    return block + b"%06d" % len(block) + b"LYRICS200"


def ape_tag(items):
    body = b""
    for key, value in items:
        body += len(value).to_bytes(4, "little") + b"\0\0\0\0" + key + b"\0" + value
    size = len(body) + 32

    def frame(flags):
        return (b"APETAGEX" + (2000).to_bytes(4, "little") + size.to_bytes(4, "little") +
                len(items).to_bytes(4, "little") + flags.to_bytes(4, "little") + b"\0" * 8)

    return frame(0xA0000000) + body + frame(0x80000000)


# Layer III only (what the encoder writes): kbit/s by bit-rate index, MPEG 1 and MPEG 2/2.5.
RATES = {3: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
         2: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]}
SAMPLE_RATES = {3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000]}


def frame_length(h, bitrate_index=None):
    version = (h[1] >> 3) & 3
    index = h[2] >> 4 if bitrate_index is None else bitrate_index
    rate = RATES[3 if version == 3 else 2][index]
    coefficient = 144 if version == 3 else 72
    return coefficient * rate * 1000 // SAMPLE_RATES[version][(h[2] >> 2) & 3] + ((h[2] >> 1) & 1)


def frames_of(stream):
    """(offset, length) of every frame of a clean Layer III stream."""
    out, at = [], 0
    while at + 4 <= len(stream) and stream[at] == 0xFF and (stream[at + 1] & 0xE0) == 0xE0:
        n = frame_length(stream[at:at + 4])
        out.append((at, n))
        at += n
    return out


def free_format(stream):
    """The same frames with bit-rate index 0: the free format, whose length only the next sync
    tells."""
    data = bytearray(stream)
    for at, _ in frames_of(stream):
        data[at + 2] &= 0x0F
    return bytes(data)


def with_vbri(stream):
    """A VBR stream led by an empty 128 kbit/s frame holding a VBRI header."""
    frames = frames_of(stream)
    h = stream[:4]
    head = bytes([h[0], h[1] | 1, (9 << 4) | (h[2] & 0x0C), h[3]])
    frame = bytearray(frame_length(head))
    frame[:4] = head
    frame[36:62] = (b"VBRI" + (1).to_bytes(2, "big") + (576).to_bytes(2, "big") +
                    (75).to_bytes(2, "big") + (len(stream) + len(frame)).to_bytes(4, "big") +
                    len(frames).to_bytes(4, "big") + b"\0" * 8)
    return bytes(frame) + stream


def broken(stream, rng):
    """Junk before the first frame, a burst of garbage over a few frames, and zeroed headers."""
    data = bytearray(stream)
    frames = frames_of(stream)
    for at, n in frames[10:14]:
        data[at:at + n] = rng.randbytes(n)
    for at, _ in frames[40:len(frames):97]:
        data[at:at + 4] = b"\0\0\0\0"
    return rng.randbytes(1000 + rng.randrange(3000)) + bytes(data)


def truncated(stream):
    frames = frames_of(stream)
    at, n = frames[int(len(frames) * 0.7)]
    return stream[:at + n // 2]


def encode(tmp, name, args, seconds, source="sine"):
    out = os.path.join(tmp, name)
    if source == "sine":
        lavfi = "sine=frequency=440:duration=%d" % seconds
    else:  # noise and a tone: a VBR encoder varies its frame sizes on it
        lavfi = ("anoisesrc=color=pink:amplitude=0.2:duration=%d:seed=20,"
                 "volume=0.7" % seconds)
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", lavfi,
                    "-ac", "2", "-map_metadata", "-1"] + args + [out], check=True)
    with open(out, "rb") as fh:
        return fh.read()


def mp3(tmp, name, args, seconds, source="sine"):
    return encode(tmp, name, ["-id3v2_version", "0", "-write_id3v1", "0"] + args, seconds, source)


def plain_tree(out, count):
    with tempfile.TemporaryDirectory() as tmp:
        cbr = mp3(tmp, "cbr.mp3", ["-b:a", "128k", "-write_xing", "0"], 3)
        vbr = mp3(tmp, "vbr.mp3", ["-q:a", "4"], 3)
    picture = b"\0image/jpeg\0\x03\0" + bytes(range(256)) * 8
    for i in range(count):
        title = ("Title number %d" % i).encode()
        artist = ("Artist %d" % (i % 37)).encode()
        major = 3 if i % 2 == 0 else 4
        frames = [(b"TIT2", b"\0" + title), (b"TPE1", b"\0" + artist),
                  (b"TALB", b"\0Bench album"), (b"TRCK", b"\0%d/20" % (i % 20 + 1))]
        if i % 5 == 0:
            frames.append((b"APIC", picture))
        data = id3v2(major, frames, 512) + (vbr if i % 3 == 0 else cbr) + id3v1(title, artist, i % 20 + 1)
        write(out, i, data)


def write(out, i, data):
    folder = os.path.join(out, "d%02d" % (i % 50))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "track%05d.mp3" % i), "wb") as fh:
        fh.write(data)


# What each of the 20 kinds is (kind = file number % 20).
KINDS = [
    "CBR 128k, ID3v2.3 + ID3v1",
    "CBR 128k, ID3v2.4 with 4 KB padding",
    "VBR with Xing, ID3v2.3 with a 200 KB picture",
    "VBR with Xing, ID3v2.4 with a 60 KB picture and 8 KB padding",
    "VBR without Xing or VBRI, ID3v2.3",
    "VBR with VBRI, ID3v2.3",
    "free-format frames (bit-rate index 0), ID3v2.3",
    "broken: junk before the first frame, garbage frames, zeroed headers; no ID3v2",
    "truncated in the middle of a frame; ID3v2.3, no ID3v1",
    "ID3v2.3 unsynchronised, with a 30 KB picture",
    "ID3v2.4 with 64 KB padding",
    "ID3v1 + Lyrics3 v2, no ID3v2",
    "APEv2 tag at the end, ID3v2.3, no ID3v1",
    "APEv2 tag then ID3v1, ID3v2.4",
    "MPEG 2 22 kHz mono, ID3v2.2",
    "no tags, CBR, 60 s",
    "VBR with Xing, ID3v1 only",
    "ID3v2.3 with many frames and a 2 KB picture, ID3v1",
    "not MPEG: WAV, FLAC or Ogg Vorbis named .mp3",
    "not MPEG: random bytes, a text page or an M4A named .mp3",
]


def varied_tree(out, count):
    rng = random.Random(20)
    with tempfile.TemporaryDirectory() as tmp:
        cbr = mp3(tmp, "cbr.mp3", ["-b:a", "128k", "-write_xing", "0"], 12)
        cbr60 = mp3(tmp, "cbr60.mp3", ["-b:a", "128k", "-write_xing", "0"], 60)
        vbr = mp3(tmp, "vbr.mp3", ["-q:a", "4"], 12, "noise")
        vbr_bare = mp3(tmp, "vbrbare.mp3", ["-q:a", "4", "-write_xing", "0"], 12, "noise")
        mono = mp3(tmp, "mono.mp3", ["-ac", "1", "-ar", "22050", "-b:a", "48k",
                                     "-write_xing", "0"], 12)
        others = [encode(tmp, "a.wav", ["-ar", "22050"], 3),
                  encode(tmp, "a.flac", [], 6, "noise"),
                  encode(tmp, "a.ogg", ["-c:a", "libvorbis", "-q:a", "3"], 12, "noise")]
        m4a = encode(tmp, "a.m4a", ["-c:a", "aac", "-b:a", "128k"], 12, "noise")
    vbri = with_vbri(vbr_bare)
    free = free_format(cbr)
    cut = truncated(cbr)
    text = (b"<!DOCTYPE html><html><body><p>Not a sound file.</p>" * 400) + b"</body></html>"

    def picture(size):
        return b"\0image/jpeg\0\x03\0" + b"\xff\xd8\xff\xe0" + rng.randbytes(size - 4)

    lyrics = b"[00:01]La la la\r\n" * 40
    ape = ape_tag([(b"Title", b"APE title"), (b"Artist", b"APE artist"), (b"Album", b"APE album"),
                   (b"Cover Art (Front)", b"cover.jpg\0" + rng.randbytes(3000))])
    big_picture, mid_picture, unsync_picture = picture(200_000), picture(60_000), picture(30_000)
    small_picture = picture(2_000)
    for i in range(count):
        kind = i % 20
        title = ("Title number %d" % i).encode()
        artist = ("Artist %d" % (i % 37)).encode()
        tr = i % 20 + 1
        base = [(b"TIT2", b"\0" + title), (b"TPE1", b"\0" + artist),
                (b"TALB", b"\0Bench album"), (b"TRCK", b"\0%d/20" % tr)]
        v1 = id3v1(title, artist, tr)
        if kind == 0:
            data = id3v2(3, base, 512) + cbr + v1
        elif kind == 1:
            data = id3v2(4, base, 4096) + cbr
        elif kind == 2:
            data = id3v2(3, base + [(b"APIC", big_picture)], 1024) + vbr + v1
        elif kind == 3:
            data = id3v2(4, base + [(b"APIC", mid_picture)], 8192) + vbr
        elif kind == 4:
            data = id3v2(3, base, 512) + vbr_bare + v1
        elif kind == 5:
            data = id3v2(3, base, 512) + vbri + v1
        elif kind == 6:
            data = id3v2(3, base, 512) + free + v1
        elif kind == 7:
            data = broken(cbr, rng) + v1
        elif kind == 8:
            data = id3v2(3, base, 256) + cut
        elif kind == 9:
            data = id3v2(3, base + [(b"APIC", unsync_picture)], 0, unsync=True) + cbr + v1
        elif kind == 10:
            data = id3v2(4, base, 65536) + cbr + v1
        elif kind == 11:
            data = cbr + lyrics3(lyrics) + v1
        elif kind == 12:
            data = id3v2(3, base, 512) + vbr + ape
        elif kind == 13:
            data = id3v2(4, base, 512) + cbr + ape + v1
        elif kind == 14:
            data = id3v2(2, [(b"TT2", b"\0" + title), (b"TP1", b"\0" + artist)], 256) + mono
        elif kind == 15:
            data = cbr60
        elif kind == 16:
            data = vbr + v1
        elif kind == 17:
            extra = [(b"T%03d" % k, b"\0value %d" % k) for k in range(40)]
            comm = [(b"COMM", b"\0eng\0" + b"A comment. " * 60)]
            data = id3v2(3, base + extra + comm + [(b"APIC", small_picture)], 2048) + cbr + v1
        elif kind == 18:
            data = others[(i // 20) % 3]
        else:
            data = [rng.randbytes(150_000), text, m4a][(i // 20) % 3]
        write(out, i, data)


def main():
    args = sys.argv[1:]
    varied = args[:1] == ["--varied"]
    if varied:
        args = args[1:]
    out = args[0]
    count = int(args[1]) if len(args) > 1 else 5000
    (varied_tree if varied else plain_tree)(out, count)


if __name__ == "__main__":
    main()
