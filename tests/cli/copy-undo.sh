#!/usr/bin/env bash
# Copies and undoes on a real folder with the built command and checks what is left.
# Usage: copy-undo.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   rerun      a second run over the same names skips every one and changes nothing
#   survivors  undo keeps a user's file and a copy changed after the run, and removes the rest
#   killed     runs killed with SIGKILL at many instants, each then undone, leave the folder as it
#              was, with and without unnamed files (TANDELO_NO_TMPFILE: a preload library that
#              refuses O_TMPFILE)
#   reuse      undo keeps what took a copy's place or changed it, whatever it shares with the copy:
#              the same inode number, size and time (cp -p, touch -r, an edit in place), or a later
#              run's copy at the same name
#   folder     undo of a run whose folder was moved, or replaced at its path, removes nothing
#   forged     undo refuses a journal naming a file outside the folder, or one others may write
#   journal-full  a journal that cannot be started stops the run before any copy and is not left;
#              one that fails midway stops the run with every copy made recorded
#   dry-run    a dry run says what would happen to each name and touches nothing
#   sub-folder a name with "\" after a Japanese character lands in the sub-folder
#   terminal   on a terminal the run asks: y skips the name, n stops; the progress line leaves out
#              the time the user took to answer
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
printf 'number 1 20\n  alphabet "a" "c"\n' >run.rules

# Every file below out/ with its inode, size and modification time.
listing() { find out -mindepth 1 -printf '%p %i %s %T@\n' | LC_ALL=C sort; }
# Every file below out/ with its content.
hashed() {
  (cd out && find . -mindepth 1 -type f -exec md5sum {} + | LC_ALL=C sort; find . -mindepth 1 -type d | LC_ALL=C sort)
}
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
    last=$(grep -aE '^[0-9]+ (created|named) ' j | tail -n 1)
    [ "$(cut -d ' ' -f 2 <<<"$last")" = named ] || fail "the last copy is not recorded as named: $last"
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
    # Instants from the start of the process (the journal not yet made) to well into the run,
    # spread so that some fall while a copy is being named.
    head -c 65536 /dev/urandom >big.bin
    printf 'number 1 3000\n' >many.rules
    printf 'mine\n' >out/7.bin
    mkdir out/sub
    before=$(hashed)
    for way in unnamed temporary; do
      preload=
      [ $way = temporary ] && preload=${TANDELO_NO_TMPFILE:?the preload library}
      for i in $(seq 0 34); do
        rm -f j
        LD_PRELOAD=$preload "$@" copy --on-failure skip --quiet --journal j --source big.bin --into out many.rules \
          </dev/null 2>/dev/null &
        pid=$!
        sleep "0.$(printf '%03d' $((i * i % 97 + i * 3)))"
        kill -9 $pid 2>/dev/null
        wait $pid 2>/dev/null
        if [ -e j ]; then
          "$@" undo j >undo.txt 2>&1 ||
            fail "$way kill $i: undo exit $?: $(grep -v '^removed\|^absent' undo.txt | head -3)"
        fi
        if [ "$(hashed)" != "$before" ]; then
          fail "$way kill $i: the folder is not as it was: $(diff <(echo "$before") <(hashed) | head -4)"
          break
        fi
      done
    done
    ;;
  reuse)
    printf 'number 1 4\n' >r.rules
    run "$@" copy --quiet --journal j --source src.txt --into out r.rules 2>/dev/null || fail "the run failed"
    # 1: replaced by a copy keeping the source's times (ext4 gives the freed inode number again);
    # 2: the same size and time given to the user's own text; 3: edited in place, time put back.
    rm out/1.txt && cp -p src.txt out/1.txt && printf 'mine\n' >>out/1.txt && truncate -s 14 out/1.txt
    rm out/2.txt && printf 'a user file!!\n' >out/2.txt && touch -r src.txt out/2.txt
    printf 'X' | dd of=out/3.txt conv=notrunc status=none && touch -r src.txt out/3.txt
    for n in 1 2 3; do cp -p out/$n.txt mine$n; done
    run "$@" undo j >undo.txt
    status=$?
    [ $status = 1 ] || fail "undo exit status $status with files kept, expected 1"
    [ "$(find out -type f | LC_ALL=C sort | tr '\n' ' ')" = "out/1.txt out/2.txt out/3.txt " ] || fail "left: $(ls out)"
    for n in 1 2 3; do cmp -s out/$n.txt mine$n || fail "$n.txt was changed"; done
    [ "$(grep -c '^kept ' undo.txt)" = 3 ] || fail "not every file kept is listed: $(cat undo.txt)"
    # Run A undone, then run B makes the same names: undoing A again removes none of B's.
    rm -f out/*.txt j jb
    run "$@" copy --quiet --journal j --source src.txt --into out r.rules 2>/dev/null || fail "run A failed"
    run "$@" undo j >/dev/null || fail "undo of run A kept files"
    run "$@" copy --quiet --journal jb --source src.txt --into out r.rules 2>/dev/null || fail "run B failed"
    b=$(listing)
    run "$@" undo j >undo.txt
    [ $? = 1 ] || fail "undoing run A again did not report B's files as kept"
    [ "$(listing)" = "$b" ] || fail "undoing run A again touched run B's files"
    run "$@" undo --dry-run jb >undo.txt || fail "the dry run of undo B would keep files"
    [ "$(grep -c '^would remove ' undo.txt)" = 4 ] && [ "$(listing)" = "$b" ] ||
      fail "the dry run of undo removed files"
    run "$@" undo jb >/dev/null && [ -z "$(ls out)" ] || fail "undo of run B left: $(ls out)"
    ;;
  folder)
    run "$@" copy --quiet --journal j --source src.txt --into out run.rules 2>/dev/null || fail "the run failed"
    mv out moved
    run "$@" undo j >undo.txt 2>err
    [ $? = 1 ] || fail "undo with the folder moved away did not exit 1"
    grep -q 'is not there any more' err || fail "undo did not say the folder is gone: $(cat err)"
    mkdir out
    printf 'mine\n' >out/1a.txt
    run "$@" undo j >undo.txt 2>err
    [ $? = 1 ] || fail "undo with another folder at the path did not exit 1"
    grep -q 'is not the folder the run copied into' err || fail "undo did not say the folder is another: $(cat err)"
    [ "$(cat out/1a.txt)" = mine ] && [ "$(find moved -type f | wc -l)" = 60 ] || fail "undo removed something"
    ;;
  forged)
    run "$@" copy --quiet --journal j --source src.txt --into out run.rules 2>/dev/null || fail "the run failed"
    printf 'victim\n' >victim.txt
    before=$(listing)
    # The victim's own identity, so that only the path could stop undo.
    id=$(stat -c '%d %i %s' victim.txt)
    for forged in "../victim.txt" "$PWD/victim.txt" 'sub/../../victim.txt'; do
      # Before the run's end line, which nothing may follow.
      { grep -v '^end ' j; printf '99 named %s - %s 0 0 0\n' "$forged" "$id"; } >forged
      run "$@" undo forged >undo.txt 2>err
      [ $? = 2 ] && grep -q 'holds a name' err || fail "undo of a journal naming $forged did not exit 2: $(cat err)"
    done
    [ -e victim.txt ] && [ "$(listing)" = "$before" ] || fail "undo of a forged journal removed something"
    if [ "$windows" = 0 ]; then
      chmod 0666 j
      run "$@" undo j >undo.txt 2>err
      status=$?
      [ $status = 2 ] && grep -q 'will not undo' err ||
        fail "undo of a journal others may write: exit $status, $(cat err)"
      [ "$(listing)" = "$before" ] || fail "undo of a journal others may write removed something"
    fi
    ;;
  journal-full)
    # A file-size limit makes writes fail as a full disk would (the signal ignored, as a shell
    # ignores it for what it starts); messages go through a pipe, which the limit spares.
    before=$(listing)
    (trap '' XFSZ; ulimit -f 0; exec "$@" copy --quiet --journal j --source src.txt --into out run.rules) \
      </dev/null 2>&1 | cat >err
    status=${PIPESTATUS[0]}
    [ $status = 2 ] || fail "a journal that cannot be started: exit $status, expected 2"
    grep -q 'cannot write the journal' err || fail "no message for the journal: $(cat err)"
    [ ! -e j ] && [ "$(listing)" = "$before" ] || fail "a journal that could not be started left something"
    (trap '' XFSZ; ulimit -f 1; exec "$@" copy --quiet --journal j --source src.txt --into out run.rules) \
      </dev/null 2>&1 | cat >err
    status=${PIPESTATUS[0]}
    [ $status = 3 ] || fail "a journal that fails midway: exit $status, expected 3"
    made=$(find out -type f | wc -l)
    [ "$made" -gt 0 ] && [ "$made" -lt 60 ] || fail "the journal did not fail midway ($made copies)"
    run "$@" undo j >undo.txt || fail "undo kept files after a journal failed: $(grep '^kept' undo.txt)"
    [ "$(listing)" = "$before" ] || fail "a copy went unrecorded: $(listing)"
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
    # What it says is what the run then does, a sub-folder that leads out of the folder included.
    mkdir out/sub elsewhere
    [ $windows = 0 ] && ln -s ../elsewhere out/away
    printf 'any "a" "away\\\\x" "sub\\\\y" "2b" "a"\n' >plan.rules
    run "$@" copy --dry-run --source src.txt --into out plan.rules >plan.txt 2>/dev/null
    files() { (cd out && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
    files >planned
    run "$@" copy --on-failure skip --quiet --source src.txt --into out plan.rules 2>/dev/null
    [ "$(sed -n 's/^would copy: //p' plan.txt | tr -d '\r' | tr '\\' / | LC_ALL=C sort)" = \
      "$(files | LC_ALL=C comm -13 planned -)" ] || fail "the run did other than its dry run said: $(cat plan.txt)"
    [ -z "$(ls elsewhere)" ] || fail "a copy went out of the folder"
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
