#!/usr/bin/env python3
"""Writes a song file whose ID3v2.3 tag carries a picture as its front cover
(an APIC frame of picture type 3), for the demo's player to name:
    cover_song.py OUT.mp3 PICTURE.jpg ARTIST TITLE
The audio is one silent MPEG-1 Layer III frame: the stand-in player only
names the file, and the plug-in reads only its tag."""
import struct
import sys


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frame(frame_id, body):
    return frame_id.encode("ascii") + struct.pack(">I", len(body)) + b"\x00\x00" + body


def main(out, picture, artist, title):
    with open(picture, "rb") as f:
        cover = f.read()
    mime = b"image/png" if cover[:8] == b"\x89PNG\r\n\x1a\n" else b"image/jpeg"
    body = frame("TPE1", b"\x00" + artist.encode("latin-1"))
    body += frame("TIT2", b"\x00" + title.encode("latin-1"))
    # Encoding 0, the MIME type, picture type 3 (front cover), no description.
    body += frame("APIC", b"\x00" + mime + b"\x00\x03\x00" + cover)
    tag = b"ID3\x03\x00\x00" + syncsafe(len(body)) + body
    # 128 kbit/s at 44.1 kHz: a 417-byte frame of silence.
    audio = b"\xff\xfb\x90\x00" + bytes(413)
    with open(out, "wb") as f:
        f.write(tag + audio)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
