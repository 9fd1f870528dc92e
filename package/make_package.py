#!/usr/bin/env python3
"""Writes the release zip: the files a user unpacks into the shell's folder.

Plugins/Pelorin.plg, the five default skins and Plugins/Pelorin.txt, the
user's guide: the English part, then the Russian part in code page 1251
(the shell's Russian users read it so), with Windows line ends and the
version filled in. Every entry carries the same fixed date, so the same
inputs always give the same zip and the same SHA-256.

Usage: make_package.py --plugin-dir DIR --guide-en FILE --guide-ru FILE
                       --version X.Y.Z --out FILE.zip
"""

import argparse
import os
import zipfile

SKINS = ["Pelorin%d.bmp" % n for n in range(1, 6)]
ENTRY_DATE = (2026, 1, 1, 0, 0, 0)


def guide_bytes(english_path, russian_path, version):
    parts = []
    for path in (english_path, russian_path):
        with open(path, encoding="utf-8") as source:
            parts.append(source.read().replace("@VERSION@", version).rstrip("\n"))
    text = "\n\n\n".join(parts) + "\n"
    return text.replace("\n", "\r\n").encode("cp1251")


def add(archive, name, data):
    entry = zipfile.ZipInfo("Plugins/" + name, ENTRY_DATE)
    entry.compress_type = zipfile.ZIP_DEFLATED
    entry.external_attr = 0o644 << 16
    archive.writestr(entry, data)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--plugin-dir", required=True)
    parser.add_argument("--guide-en", required=True)
    parser.add_argument("--guide-ru", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    partial = args.out + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in ["Pelorin.plg"] + SKINS:
            with open(os.path.join(args.plugin_dir, name), "rb") as source:
                add(archive, name, source.read())
        add(archive, "Pelorin.txt", guide_bytes(args.guide_en, args.guide_ru, args.version))
    os.replace(partial, args.out)


if __name__ == "__main__":
    main()
