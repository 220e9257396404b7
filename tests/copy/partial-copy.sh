#!/usr/bin/env bash
# Makes a copy fail part-way: the source is larger than the file-size limit the test runs under,
# so the copy's writes stop with an error after the first part is on disk.
# Usage: partial-copy.sh COMMAND...   (the test program, with its emulator when cross-built)
set -eu
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
head -c $((4 << 20)) /dev/zero | tr '\0' 'x' >"$folder/big.bin"
cp "$folder/big.bin" "$folder/big-ro.bin"
chmod a-w "$folder/big-ro.bin"
# Wine maps the Unix root to drive Z:.
export TANDELO_PARTIAL_COPY_FOLDER="Z:${folder//\//\\}"
# The limit must not reach the wineserver, which writes the prefix's registry: make sure one runs
# before it is set (one already running, such as scripts/with-display's, is kept).
. "$(dirname "$0")/../../scripts/env.sh"
wineserver -p10 2>/dev/null || true
trap '' XFSZ      # a write past the limit fails instead of ending the process
ulimit -f 1024    # 1 MiB: bash counts this limit in 1024-byte blocks
"$@" --gtest_filter='PartialCopyTest.*'
