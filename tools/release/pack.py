#!/usr/bin/env python3
"""Packs the release zip from the built, stripped program and command; only the standard library
is used.

    pack.py STAGE_FOLDER VERSION_TXT OUTPUT_FOLDER

The zip holds Tandelo.exe and tandelo-cli.exe from STAGE_FOLDER, readme.txt (Shift-JIS, CR LF,
from docs/readme.txt), LICENSE.txt (Shift-JIS, CR LF), the rule files of examples/ in examples/
(UTF-8 with a byte-order mark, CR LF) and SHA256SUMS for all of them. Every byte of
it depends only on its inputs and on SOURCE_DATE_EPOCH, the commit's time, which dates the entries
and readme.txt's history: the same commit gives the same zip wherever and whenever it is packed.
Prints the zip's path.
"""

import datetime
import hashlib
import os
import re
import sys
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

# Dates as a user in Japan reads them; fixed, so that the packing machine's zone does not matter.
JAPAN = datetime.timezone(datetime.timedelta(hours=9))


def read_settings(path):
    with open(path, encoding="utf-8") as f:
        return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)


def windows_text(text, encoding):
    """CR LF line ends in `encoding`; a character the encoding lacks stops the release."""
    lines = text.replace("\r\n", "\n").split("\n")
    return "\r\n".join(lines).encode(encoding)


def readme(settings, when):
    with open(os.path.join(ROOT, "docs", "readme.txt"), encoding="utf-8") as f:
        text = f.read()
    for key, value in (("VERSION", settings["VERSION"]), ("COPYRIGHT", settings["COPYRIGHT"]),
                       ("DATE", when.strftime("%Y/%m/%d"))):
        text = text.replace("@" + key + "@", value)
    left = re.search(r"@[A-Z]+@", text)
    if left:
        raise SystemExit(f"pack: readme.txt keeps the placeholder {left.group()}")
    return windows_text(text, "cp932")


def example(path):
    """A rule file as Notepad reads it right on every Windows: UTF-8 with a byte-order mark and
    CR LF. The command skips the mark and drops a CR before a line end, so the rules make the same
    names as the checkout's file; a file that is not UTF-8 stops the release."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return "\ufeff".encode("utf-8") + windows_text(text.lstrip("\ufeff"), "utf-8")


def entry(name, when):
    info = zipfile.ZipInfo(name, date_time=when.timetuple()[:6])
    # Made on "MS-DOS" with only the archive attribute: no owner or permissions of the packing
    # machine end up in the zip.
    info.create_system = 0
    info.external_attr = 0x20
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main():
    stage, settings_path, output = sys.argv[1:4]
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        raise SystemExit("pack: SOURCE_DATE_EPOCH (the commit's time) is not set")
    when = datetime.datetime.fromtimestamp(int(epoch), JAPAN)
    settings = read_settings(settings_path)

    files = []
    for exe in ("Tandelo.exe", "tandelo-cli.exe"):
        with open(os.path.join(stage, exe), "rb") as f:
            files.append((exe, f.read()))
    files.append(("readme.txt", readme(settings, when)))
    with open(os.path.join(ROOT, "LICENSE"), encoding="utf-8") as f:
        # Shift-JIS like readme.txt: the holder's name is Japanese, and Notepad before Windows 10
        # reads a text without a byte order mark in the ANSI code page.
        files.append(("LICENSE.txt", windows_text(f.read(), "cp932")))
    examples = os.path.join(ROOT, "examples")
    for name in sorted(os.listdir(examples)):
        files.append((f"examples/{name}", example(os.path.join(examples, name))))
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in files)
    files.append(("SHA256SUMS", windows_text(sums, "ascii")))

    os.makedirs(output, exist_ok=True)
    path = os.path.join(output, f"Tandelo-{settings['VERSION']}.zip")
    with zipfile.ZipFile(path + ".part", "w") as archive:
        for name, data in files:
            archive.writestr(entry(name, when), data, compresslevel=9)
    os.replace(path + ".part", path)
    print(path)


if __name__ == "__main__":
    main()
