# Sourced by the checks that the same commit gives the same bytes, with a script of the checkout
# that makes a product and prints its path last: makes it here, then from a copy of what the
# checkout holds now, committed or not, in a fresh folder $copy (removed at the end), made later
# with new file times (-m) and given only the commit's time, which is all the product may depend
# on. Leaves the two paths in $first and $second, and the working folder at the checkout's top.
# Usage: . made-twice.sh SCRIPT   (SCRIPT relative to the checkout's top)
# shellcheck shell=bash
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
copy=$(mktemp -d /tmp/tandelo-made-twice.XXXXXX)
trap 'rm -rf "$copy"' EXIT
first=$("$1" | tail -n 1)
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
  tar --null -T - -cf - | tar -xmf - -C "$copy"
second=$(env -u TANDELO_BUILD SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)" "$copy/$1" | tail -n 1)
