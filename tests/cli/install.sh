#!/usr/bin/env bash
# tandelo-cli as `cmake --install` lays it out: installs the build into a temporary prefix, runs the
# installed command, and checks that man finds its page there, that the page renders without a
# warning and says word for word what --help and help rules say (every synopsis, command,
# option and exit status with its help, and the rule format), and that each shell finds its
# completion where it looks for a package's: bash-completion, zsh and fish.
# Usage: install.sh CMAKE BUILD-TREE
set -u
tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
"$1" --install "$2" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }
cli=$prefix/bin/tandelo-cli

ok=1
fail() { echo "FAIL: $*"; ok=0; }
[ -f "$prefix/share/bash-completion/completions/tandelo-cli" ] || fail "no bash completion installed"
# zsh's compinit binds the function of each file in fpath, which holds share/zsh/vendor-completions
# of the system's prefix.
bound=$(zsh -fc "fpath=($prefix/share/zsh/vendor-completions \$fpath); autoload -Uz compinit; compinit -u -D
  print -r -- \$_comps[tandelo-cli]" 2>&1)
[ "$bound" = _tandelo-cli ] || fail "zsh binds tandelo-cli to '$bound'"
# fish loads a command's completion from share/fish/vendor_completions.d of each folder of
# XDG_DATA_DIRS once the command is found; its own folders go into the temporary one.
offered=$(PATH=$prefix/bin:$PATH XDG_DATA_DIRS=$prefix/share XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data \
  fish -c "complete -C 'tandelo-cli his'" 2>&1 | cut -f1)
[ "$offered" = history ] || fail "fish completes 'tandelo-cli his' to '$offered'"
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

# The manual's examples (its lines set in further than the text), run as they stand one after the
# other with the command and the examples installed here, in a folder with report.txt and a state
# folder of their own: every line succeeds, the copy keeps its journal in the state folder by
# default, and undo --last takes every copy back.
examples=$(LC_ALL=C MANWIDTH=80 man -l "$page" 2>/dev/null | col -bx | sed -n '/^EXAMPLES$/,$p' |
  sed -n 's/^           \([^ ]\)/\1/p')
[ -n "$examples" ] || fail "the manual page shows no example"
mkdir "$tmp/run" && touch "$tmp/run/report.txt"
log=$(cd "$tmp/run" && PATH=$prefix/bin:$PATH XDG_STATE_HOME=$tmp/state \
  bash -ec "${examples//\/usr\/share\//$prefix\/share\/}" 2>&1) || fail "the manual's examples fail:"$'\n'"$log"
[ -z "$(ls -A "$tmp/run/out" 2>&1)" ] || fail "the manual's examples leave: $(ls -A "$tmp/run/out" 2>&1)"
grep -q $'\tundone\t50\t'"$tmp/run/out"$'\t'"$tmp/state/tandelo-cli/" <<<"$log" ||
  fail "the manual's examples list no undone run of 50 copies in the state folder:"$'\n'"$log"
[ $ok = 1 ]
