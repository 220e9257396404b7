#!/usr/bin/env bash
# What tandelo-cli copy does when a name cannot be copied, on a real folder.
# Usage: on-failure.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
# The rules make 1.txt, 2.txt and 3.txt into a folder where the user's 2.txt already is.
#   stop          --on-failure stop ends the run at 2.txt with exit 3: no 3.txt
#   default       so does the default when standard input is no terminal
#   ask           --on-failure ask with standard input at its end stops too: no answer is no "skip"
#   skip          --on-failure skip passes over 2.txt, makes 3.txt and exits 1, --quiet or not
#   all           the answer "a" skips 2.txt and, without asking again, every later name that
#                 cannot be copied
#   broken-name   a name with a DEL after a lead byte (no second byte of a character) is refused
#                 with the control-character message
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
# Every run ends with what became of its names.
summary() {
  local last
  last=$(tail -n 1 err.txt | tr -d '\r')
  [ "${last%%; journal: *}" = "tandelo-cli: $1" ] || fail "last line: $last, expected: $1; journal: ..."
}

stopped="out/1.txt out/2.txt "
stopped_summary="3 names: 1 copied, 0 skipped, 1 not copied and the run stopped there, 1 not tried"
case $case_name in
  stop)
    expect 3 "$stopped" "$@" copy --on-failure stop --source src.txt --into out run.rules
    summary "$stopped_summary"
    ;;
  default)
    expect 3 "$stopped" "$@" copy --source src.txt --into out run.rules
    summary "$stopped_summary"
    ;;
  ask)
    expect 3 "$stopped" "$@" copy --on-failure ask --source src.txt --into out run.rules
    summary "$stopped_summary"
    ;;
  skip)
    for quiet in "" --quiet; do
      rm -f out/1.txt out/3.txt
      expect 1 "out/1.txt out/2.txt out/3.txt " "$@" copy --on-failure skip $quiet --source src.txt --into out run.rules
      summary "3 names: 2 copied, 1 skipped"
    done
    ;;
  all)
    printf 'theirs\n' >out/4.txt
    printf 'number 1 5\n' >run.rules
    printf 'a\n' >answers
    "$@" copy --on-failure ask --source src.txt --into out run.rules <answers >out.txt 2>err.txt
    [ $? = 1 ] || fail "exit status $?, expected 1: $(cat -v err.txt)"
    [ "$(files)" = "out/1.txt out/2.txt out/3.txt out/4.txt out/5.txt " ] || fail "out/ holds: $(files)"
    [ "$(grep -c 'y: ' err.txt)" = 1 ] || fail "not asked once: $(cat -v err.txt)"
    grep -q '^tandelo-cli: out.2.txt' err.txt || fail "the question lacks the command's name: $(cat -v err.txt)"
    grep -q '^tandelo-cli: out.4.txt' err.txt || fail "the name skipped unasked is not listed: $(cat -v err.txt)"
    [ "$(cat out/4.txt)" = theirs ] || fail "the user's 4.txt changed"
    summary "5 names: 3 copied, 2 skipped"
    ;;
  broken-name)
    printf 'fixed "a\\x81\\x7Fb"\n' >broken.rules
    expect 1 "out/2.txt " "$@" copy --encoding shift-jis --on-failure skip --source src.txt --into out broken.rules
    # The message is Shift-JIS, and the name it quotes is no text at all: compare bytes.
    message=$(printf 'tandelo-cli: .*ファイル名に制御文字は使えません。' | iconv -f UTF-8 -t CP932)
    LC_ALL=C grep -aq -- "$message" err.txt || fail "no control-character message: $(cat -v err.txt)"
    summary "1 name: 0 copied, 1 skipped"
    ;;
  *) echo "on-failure.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
