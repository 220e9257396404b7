#!/usr/bin/env bash
# What tandelo-cli copy does when a name cannot be copied, on a real folder.
# Usage: on-failure.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
# The rules make 1.txt, 2.txt and 3.txt into a folder where the user's 2.txt already is.
#   stop          --on-failure stop ends the run at 2.txt with exit 3: no 3.txt
#   default       so does the default when standard input is no terminal
#   ask           --on-failure ask with standard input at its end stops too: no answer is no "skip"
#   skip          --on-failure skip passes over 2.txt, makes 3.txt and exits 1
#   broken-name   a name with a NUL after a lead byte is refused with the control-character message
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
printf 'mine\n' >out/2.txt
printf 'number 1 3\n' >run.rules

files() { find out -mindepth 1 | LC_ALL=C sort | tr '\n' ' '; }
# Runs the copy with standard input at its end and checks its exit status and what is in out/.
expect() {
  local status=$1 left=$2
  shift 2
  "$@" </dev/null >out.txt 2>err.txt
  local got=$?
  [ $got = "$status" ] || fail "exit status $got, expected $status: $(cat -v err.txt)"
  [ "$(files)" = "$left" ] || fail "out/ holds: $(files), expected: $left"
  [ "$(cat out/2.txt)" = mine ] || fail "the user's 2.txt changed"
}

stopped="out/1.txt out/2.txt "
case $case_name in
  stop) expect 3 "$stopped" "$@" copy --on-failure stop --source src.txt --into out run.rules ;;
  default) expect 3 "$stopped" "$@" copy --source src.txt --into out run.rules ;;
  ask) expect 3 "$stopped" "$@" copy --on-failure ask --source src.txt --into out run.rules ;;
  skip) expect 1 "out/1.txt out/2.txt out/3.txt " "$@" copy --on-failure skip --source src.txt --into out run.rules ;;
  broken-name)
    printf 'fixed "a\\x81\\x00b"\n' >broken.rules
    expect 1 "out/2.txt " "$@" copy --encoding shift-jis --on-failure skip --source src.txt --into out broken.rules
    # The message is Shift-JIS, and the name it quotes is no text at all: compare bytes.
    message=$(printf 'tandelo-cli: .*ファイル名に制御文字は使えません。' | iconv -f UTF-8 -t CP932)
    LC_ALL=C grep -aq -- "$message" err.txt || fail "no control-character message: $(cat -v err.txt)"
    ;;
  *) echo "on-failure.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
