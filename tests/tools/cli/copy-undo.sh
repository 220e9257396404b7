#!/usr/bin/env bash
# Copies and undoes on a real folder with the built command and checks what is left.
# Usage: copy-undo.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   rerun      a second run over the same names skips every one and changes nothing
#   survivors  undo keeps a user's file and a copy changed after the run, and removes the rest
#   killed     a run killed with SIGKILL part-way, then undone, leaves the folder as it was
#   dry-run    a dry run says what would happen to each name and touches nothing
#   sub-folder a name with "\" after a Japanese character lands in the sub-folder
#   terminal   on a terminal the run asks: y skips the name, n stops; the progress line leaves out
#              the time the user took to answer
# Paths are relative to a fresh folder, so that a Windows build under Wine reads them too.
set -u
case_name=$1
shift 2
tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
mkdir out
printf 'a source file\n' >src.txt
printf 'number 1 20\n  alphabet "a" "c"\n' >run.rules

ok=1
fail() { echo "FAIL: $*"; ok=0; }
# Every file below out/ with its inode, size and modification time.
listing() { find out -mindepth 1 -printf '%p %i %s %T@\n' | LC_ALL=C sort; }
run() { "$@" </dev/null; }

case $case_name in
  rerun)
    run "$@" copy --on-failure skip --source src.txt --into out run.rules 2>/dev/null || fail "first run failed"
    before=$(listing)
    run "$@" copy --on-failure skip --encoding utf-8 --journal j --source src.txt --into out run.rules 2>err
    status=$?
    [ $status = 1 ] || fail "exit status $status after skipping, expected 1"
    [ "$(grep -c 'はすでに存在します' err)" = 60 ] || fail "not every skipped name listed: $(cat err)"
    [ "$(listing)" = "$before" ] || fail "the rerun changed the folder"
    run "$@" undo j >/dev/null || fail "undo of a run that made nothing kept something"
    [ "$(listing)" = "$before" ] || fail "undo of a run that made nothing changed the folder"
    ;;
  survivors)
    printf 'mine\n' >out/20c.txt
    before=$(listing)
    run "$@" copy --on-failure skip --quiet --journal j --source src.txt --into out run.rules 2>/dev/null
    [ $? = 1 ] || fail "the run did not report the skipped 20c.txt"
    printf 'changed\n' >>out/1a.txt
    run "$@" undo j >undo.txt
    status=$?
    [ $status = 1 ] || fail "undo exit status $status with files kept, expected 1"
    grep -q '^kept .*1a\.txt: changed since' undo.txt || fail "undo did not say why it kept 1a.txt"
    [ "$(grep -c '^removed ' undo.txt)" = 58 ] || fail "undo did not remove the 58 unchanged copies"
    [ "$(cat out/20c.txt)" = mine ] || fail "the user's file did not survive"
    [ "$(find out -type f | LC_ALL=C sort | tr '\n' ' ')" = "out/1a.txt out/20c.txt " ] || fail "left: $(ls out)"
    ;;
  killed)
    before=$(listing)
    head -c 262144 /dev/urandom >big.bin
    printf 'number 1 4000\n' >many.rules
    "$@" copy --on-failure stop --quiet --journal j --source big.bin --into out many.rules </dev/null 2>/dev/null &
    pid=$!
    for _ in $(seq 1 500); do
      [ "$(wc -l <j 2>/dev/null || echo 0)" -ge 200 ] && break
      sleep 0.01
    done
    kill -9 $pid
    wait $pid 2>/dev/null
    made=$(find out -type f | wc -l)
    [ "$made" -ge 100 ] && [ "$made" -lt 4000 ] || fail "the run was not killed part-way ($made files)"
    run "$@" undo j >undo.txt || fail "undo kept files: $(grep '^kept' undo.txt)"
    [ "$(listing)" = "$before" ] || fail "the folder is not as it was: $(listing | head -3) / $before"
    ;;
  dry-run)
    printf 'mine\n' >out/2b.txt
    before=$(listing)
    run "$@" copy --dry-run --journal j --source src.txt --into out run.rules >plan.txt 2>err
    status=$?
    [ $status = 1 ] || fail "dry-run exit status $status with a name that exists, expected 1"
    [ "$(grep -c '^would copy: ' plan.txt)" = 59 ] || fail "not every new name listed"
    grep -qx 'exists: 2b.txt' plan.txt || fail "the existing name not listed"
    [ "$(listing)" = "$before" ] && [ ! -e j ] || fail "the dry run touched something"
    ;;
  sub-folder)
    mkdir out/う
    printf 'fixed "う\\\\x"\n' >sub.rules
    run "$@" copy --encoding utf-8 --quiet --source src.txt --into out sub.rules || fail "the run failed"
    [ "$(find out -type f)" = "out/う/x.txt" ] || fail "made: $(find out -type f)"
    ;;
  terminal)
    touch out/2.txt out/5.txt
    printf 'number 1 300\n' >many.rules
    # script(1) gives the command a terminal; the answers come after the run has waited a second.
    (sleep 1; printf 'y\n'; sleep 0.2; printf 'n\n') |
      script -qec "$(printf '%q ' "$@") copy --encoding utf-8 --source src.txt --into out many.rules" /dev/null >screen
    status=$?
    [ $status = 3 ] || fail "exit status $status after n, expected 3"
    [ "$(grep -ac 'はすでに存在します' screen)" = 2 ] || fail "not asked twice: $(cat -v screen)"
    grep -aq 'out/2.txtはすでに存在します' screen ||
      fail "the question names the file unlike the system: $(cat -v screen)"
    grep -aEq '[0-9]+/300 +[0-9]+/s +0:[0-2][0-9] left' screen ||
      fail "no progress line, or one counting the wait: $(cat -v screen)"
    [ "$(find out -type f | LC_ALL=C sort | tr '\n' ' ')" = "out/1.txt out/2.txt out/3.txt out/4.txt out/5.txt " ] ||
      fail "left: $(ls out)"
    ;;
  *) echo "copy-undo.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
