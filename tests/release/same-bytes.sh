#!/usr/bin/env bash
# The same commit gives the same release, byte for byte: makes it here, then again from a copy of
# the checkout in another folder, made later and with new file times, and compares the two zips.
# Fails on any time stamp, file time or folder of the machine that ends up in the release, and on a
# release that lacks a file or whose sums do not hold.
set -euo pipefail
# shellcheck source=tests/support/made-twice.sh
. "$(dirname "$0")/../support/made-twice.sh" scripts/release

if cmp -s "$first" "$second"; then
  echo "same-bytes: $(basename "$first") is the same from $root and from $copy"
  # What a user unpacks: the program, the command, the texts, and sums that hold for all four.
  mkdir "$copy/unpacked"
  (cd "$copy/unpacked" && unzip -q "$first")
  entries=$(cd "$copy/unpacked" && ls | LC_ALL=C sort | tr '\n' ' ')
  [ "$entries" = "LICENSE.txt SHA256SUMS Tandelo.exe readme.txt tandelo-cli.exe " ] || {
    echo "same-bytes: the release holds: $entries" >&2
    exit 1
  }
  (cd "$copy/unpacked" && tr -d '\r' <SHA256SUMS | sha256sum --quiet -c -) || {
    echo "same-bytes: SHA256SUMS does not hold for the release's files" >&2
    exit 1
  }
  [ "$(tr -d '\r' <"$copy/unpacked/SHA256SUMS" | wc -l)" = 4 ] || { echo "same-bytes: SHA256SUMS lacks a file" >&2; exit 1; }
  exit 0
fi
echo "same-bytes: the two releases differ: $first $second" >&2
mkdir "$copy/a" "$copy/b"
(cd "$copy/a" && unzip -q "$first") && (cd "$copy/b" && unzip -q "$second")
diff <(zipinfo -lT "$first" | sed 1d) <(zipinfo -lT "$second" | sed 1d) >&2 || true
for file in "$copy"/a/*; do
  cmp "$file" "$copy/b/$(basename "$file")" >&2 || true
done
exit 1
