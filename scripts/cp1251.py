#!/usr/bin/env python3
"""Prints a C string literal holding the code page 1251 bytes of a text.

Russian texts are kept in the sources as escapes so the files stay plain
ASCII whatever an editor's encoding; this writes those escapes.
Usage: scripts/cp1251.py "Пауза"   ->   "\xCF\xE0\xF3\xE7\xE0"
"""
import sys

HEX = set("0123456789abcdefABCDEF")


def literal(text: str) -> str:
    out, after_escape = [], False
    for ch in text.encode("cp1251").decode("latin-1"):
        code = ord(ch)
        if code >= 0x80:
            out.append("\\x%02X" % code)
            after_escape = True
            continue
        if after_escape and ch in HEX:
            out.append('" "')  # a hex digit would extend the escape
        after_escape = False
        out.append({"\\": "\\\\", '"': '\\"', "\t": "\\t", "\r": "\\r", "\n": "\\n"}.get(ch, ch))
    return '"' + "".join(out) + '"'


if __name__ == "__main__":
    for arg in sys.argv[1:]:
        print(literal(arg))
