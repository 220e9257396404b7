#!/usr/bin/env bash
# tandelo-cli as `cmake --install` lays it out: installs the build into a temporary prefix, runs the
# installed command, and checks that man finds its page there, that the page renders without a
# warning and says word for word what --help and help rules say (every synopsis, command,
# option and exit status with its help, and the rule format), and that the completion is where
# bash-completion looks for it.
# Usage: install.sh CMAKE BUILD-TREE
set -u
tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
"$1" --install "$2" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }
cli=$prefix/bin/tandelo-cli

ok=1
fail() { echo "FAIL: $*"; ok=0; }
[ -f "$prefix/share/bash-completion/completions/tandelo-cli" ] || fail "no completion installed"
names=$(printf 'number 1 2\n' | "$cli" names --source a.txt - | paste -sd' ' -)
[ "$names" = "1.txt 2.txt" ] || fail "the installed command prints '$names'"
page=$(MANPATH=$prefix/share/man man -w tandelo-cli 2>&1)
[ "$page" = "$prefix/share/man/man1/tandelo-cli.1" ] || fail "man finds: $page"
warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"

# Text with every run of spaces and line ends as one space, so that filling and wrapping differ
# freely while the words do not.
flat() { tr -s ' \t\n' '   '; }
manual=$(LC_ALL=C MANWIDTH=80 man -l "$page" 2>/dev/null | col -bx | flat)
usage=$("$cli" --help)
checked=0
# Each synopsis of --help (its first paragraph) starts with the command's name.
synopses=$(printf '%s\n' "$usage" | sed -n '1,/^$/p' | sed 's/^usage://' | flat | sed 's/ tandelo-cli /\ntandelo-cli /g')
while IFS= read -r synopsis; do
  synopsis=${synopsis% }
  [[ $manual == *"$synopsis"* ]] || fail "the manual lacks the synopsis: $synopsis"
  checked=$((checked + 1))
done <<<"$synopses"
# Each entry of --help: a line with two spaces before its first word, and the lines indented
# further below it.
entries=$(printf '%s\n' "$usage" | awk '
  /^  [^ ]/ || /^      -/ { if (entry != "") print entry; entry = $0; next }
  /^     / && entry != "" { entry = entry " " $0; next }
  { if (entry != "") print entry; entry = "" }
  END { if (entry != "") print entry }' | tr -s ' ')
while IFS= read -r entry; do
  entry=${entry# }
  [[ $manual == *"$entry"* ]] || fail "the manual lacks: $entry"
  checked=$((checked + 1))
done <<<"$entries"
[ "$checked" -ge 20 ] || fail "only $checked entries read from --help"
rules=$("$cli" help rules | flat)
[[ $manual == *"$rules"* ]] || fail "the manual's rule format is not help rules'"
[ $ok = 1 ]
