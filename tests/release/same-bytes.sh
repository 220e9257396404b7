#!/usr/bin/env bash
# The same commit gives the same release, byte for byte: makes it here, then again from a copy of
# the checkout in another folder, made later and with new file times, and compares the two zips.
# Fails on any time stamp, file time or folder of the machine that ends up in the release, and on a
# release that lacks a file or whose sums do not hold. Then looks at it as a user who unpacks it
# on Windows: the rule files of examples/ read right in Notepad and make the same names as the
# checkout's, readme.txt names only examples the zip holds, and readme.txt's check of the sums can
# read SHA256SUMS.
set -euo pipefail
# shellcheck source=tests/support/made-twice.sh
. "$(dirname "$0")/../support/made-twice.sh" scripts/release

if cmp -s "$first" "$second"; then
  echo "same-bytes: $(basename "$first") is the same from $root and from $copy"
  # What a user unpacks: the program, the command, the texts, the examples, and sums that hold
  # for all of them.
  mkdir "$copy/unpacked"
  (cd "$copy/unpacked" && unzip -q "$first")
  entries=$(cd "$copy/unpacked" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
  examples=$(cd "$root" && git ls-files examples | LC_ALL=C sort | tr '\n' ' ')
  want="LICENSE.txt SHA256SUMS Tandelo.exe $examples""readme.txt tandelo-cli.exe "
  [ "$entries" = "$want" ] || {
    echo "same-bytes: the release holds: $entries" >&2
    exit 1
  }
  (cd "$copy/unpacked" && tr -d '\r' <SHA256SUMS | sha256sum --quiet -c -) || {
    echo "same-bytes: SHA256SUMS does not hold for the release's files" >&2
    exit 1
  }
  summed=$(tr -d '\r' <"$copy/unpacked/SHA256SUMS" | wc -l)
  [ "$summed" = $(($(wc -w <<<"$entries") - 1)) ] || { echo "same-bytes: SHA256SUMS lacks a file" >&2; exit 1; }
  # readme.txt's check splits each line of SHA256SUMS at white space into the sum and the name.
  if tr -d '\r' <"$copy/unpacked/SHA256SUMS" | LC_ALL=C grep -Ev '^[0-9a-f]{64}  [!-~]+$'; then
    echo "same-bytes: a line of SHA256SUMS that readme.txt's check cannot split" >&2
    exit 1
  fi
  fail=0
  # readme.txt names examples as a Windows user types them.
  for named in $(iconv -f CP932 -t UTF-8 "$copy/unpacked/readme.txt" | grep -o 'examples\\[A-Za-z0-9._-]*' | sort -u); do
    [ -f "$copy/unpacked/${named/\\//}" ] || { echo "same-bytes: readme.txt names $named, which the release lacks" >&2; fail=1; }
  done
  # Each example as Notepad wants it, and the same names from it as from the checkout's file, made
  # by the release's own command.
  "$root/scripts/wine-prefix"
  cp -r "$root/examples" "$copy/checkout"
  names() { (cd "$copy" && "$root/scripts/wine-run" unpacked/tandelo-cli.exe names --source a.txt "$1"); }
  for file in "$root"/examples/*; do
    name=$(basename "$file")
    shipped="$copy/unpacked/examples/$name"
    if [ "$(head -c 3 "$shipped" | od -An -tx1 | tr -d ' ')" != efbbbf ] ||
      [ "$(tail -c +4 "$shipped" | tr -d '\r')" != "$(cat "$file")" ] ||
      LC_ALL=C grep -qv $'\r$' <(tail -c +4 "$shipped"); then
      echo "same-bytes: examples/$name is not the checkout's text in UTF-8 with a byte-order mark and CR LF" >&2
      fail=1
    fi
    made=$(names "unpacked\\examples\\$name") || made=
    from=$(names "checkout\\$name") || from=
    if [ -z "$made" ] || [ "$made" != "$from" ]; then
      echo "same-bytes: examples/$name in the release makes other names than the checkout's" >&2
      fail=1
    fi
  done
  exit $fail
fi
echo "same-bytes: the two releases differ: $first $second" >&2
mkdir "$copy/a" "$copy/b"
(cd "$copy/a" && unzip -q "$first") && (cd "$copy/b" && unzip -q "$second")
diff <(zipinfo -lT "$first" | sed 1d) <(zipinfo -lT "$second" | sed 1d) >&2 || true
(cd "$copy/a" && find . -type f) | while IFS= read -r file; do
  cmp "$copy/a/$file" "$copy/b/$file" >&2 || true
done
exit 1
