#!/usr/bin/env bash
# A dry run is a promise: in a folder with a mix of cases, each name's verdict in the dry run is
# what the run right after it does to that name, with the same reason.
# Usage: dry-run.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   mix   new names, an existing file, a missing sub-folder, a sub-folder that is a file, a name
#         too long for the system, names the program refuses, a sub-folder that exists (and, on
#         Linux, one that is a link out of the folder)
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
windows=0
case " $* " in *wine*) windows=1 ;; esac

mkdir out/sub elsewhere
printf 'mine\n' >out/taken.txt
printf 'a file\n' >out/plain
[ $windows = 0 ] && ln -s ../elsewhere out/away
long=$(printf 'l%.0s' $(seq 1 300))
printf 'any "new" "taken" "missing\\\\x" "plain\\\\x" "%s" "nul" "con" "a:b" "sub\\\\y" "away\\\\z" "new"\n' "$long" >mix.rules

files() { (cd out && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
# Verdicts as "NAME: what", names with "/" between their parts, sorted.
planned() {
  sed -e 's/^would copy: \(.*\)$/\1: copied/' -e 's/^exists: \(.*\)$/\1: exists/' \
      -e 's/^refused: \(.*\.txt\): \(.*\)$/\1: refused: \2/' plan.txt | tr -d '\r' | tr '\\' / | LC_ALL=C sort
}
happened() {
  {
    files | LC_ALL=C comm -13 before - | sed 's|$|: copied|'
    sed -n -e 's|^tandelo-cli: out[/\\]\(.*\)はすでに存在します。$|\1: exists|p' \
           -e 's|^tandelo-cli: out[/\\]\(.*\)を作成できませんでした。\(.*\)$|\1: refused: \2|p' err.txt | tr -d '\r'
  } | tr '\\' / | LC_ALL=C sort
}

case $case_name in
  mix)
    "$@" copy --dry-run --encoding utf-8 --source src.txt --into out mix.rules </dev/null >plan.txt 2>/dev/null
    [ $? = 1 ] || fail "dry-run exit status, expected 1"
    files >before
    "$@" copy --on-failure skip --encoding utf-8 --source src.txt --into out mix.rules </dev/null >/dev/null 2>err.txt
    [ $? = 1 ] || fail "run exit status, expected 1"
    [ "$(planned)" = "$(happened)" ] ||
      fail "the run did other than its dry run said:$(diff <(planned) <(happened) | sed 's/^/  /')"
    [ "$(grep -c ': copied$' <(planned))" -ge 2 ] || fail "too few names copied to prove anything: $(planned)"
    [ -z "$(ls elsewhere)" ] || fail "a copy went out of the folder"
    ;;
  *) echo "dry-run.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
