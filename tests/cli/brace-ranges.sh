#!/usr/bin/env bash
# Number rules against bash's own {FROM..TO} on 800 random rising ranges: near zero, at and between
# the 32-bit ends, up to 32,767 long; bounds with 0-3 zeros after the sign, 0 at times "-0".
set -u && . "$(dirname "$0")/scratch.sh" && RANDOM=1031  # brace-ranges.sh CASE -- COMMAND...
for ((i = 0; i < 800; i++)); do
  case $((i % 8)) in
    0) a=$((RANDOM % 2 ? -2147483648 : 2147483647 - RANDOM % 40)) b=$((a < 0 ? a + RANDOM % 40 : 2147483647)) ;;
    1) a=$(((RANDOM << 17 | RANDOM << 2 | RANDOM % 4) % 4294967256 - 2147483648)) b=$((a + RANDOM % 40)) ;;
    2) a=$((RANDOM % 20001 - 30000)) b=$((a + RANDOM)) ;;
    *) a=$((RANDOM % 3 ? RANDOM % 301 - 150 : 0)) b=$((RANDOM % 3 ? RANDOM % 21 - 10 : 0)) && ((a > b)) && c=$a a=$b b=$c ;;
  esac
  for n in a b; do
    sign=${!n//[0-9]/} && ((${!n} == 0 && RANDOM % 4 == 0)) && sign=-
    printf -v $n '%s%.*s%s' "$sign" $((RANDOM % 2 * (1 + RANDOM % 3))) 000 "${!n#-}"
  done
  printf 'fixed "%s %s "\n  number %s %s\n' $a $b $a $b >>ranges.rules  # each number after its range
  eval "printf -- '$a $b %s\n' {$a..$b}" >>expected.txt
done
"$@" names --encoding utf-8 ranges.rules </dev/null 2>&1 | tr -d '\r' | diff expected.txt - >diff.txt || fail "$(head -n 4 diff.txt)"
[ $ok = 1 ] || exit 1
