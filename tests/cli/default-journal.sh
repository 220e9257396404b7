#!/usr/bin/env bash
# The journal a copy keeps by default in the state folder, undo --last and history, on real
# folders with the built command. The state folder is the scratch folder's (see scratch.sh).
# Usage: default-journal.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   written     every copy that is not a dry run writes a new journal there and ends by naming it,
#               stopped, skipping or quiet; a name taken (a run begun in the same millisecond) is
#               left as it is for the next one free; on Linux the folders are made private, and
#               without XDG_STATE_HOME (or with a relative one) the journals go below HOME
#   none        --no-journal and --dry-run write none; --no-journal with --journal is refused
#   undo-last   undo --last takes the newest run not yet undone, then the one before it; its dry
#               run, and an undo that found the run's folder gone, mark nothing; with none left it
#               says so and exits 2
#   history     lists the runs newest first with their counts and undone marks (an undo marks only
#               the state folder's journals), counts a journal whose run was cut short, and lists
#               one it cannot read as such without stopping
#   unmakeable  a state folder that cannot be made stops the copy before any copy, with exit 2
#   clock       runs go by their numbers: a clock stepped back between two runs leaves the later one
#               the newest, and journals named before runs were numbered come after all numbered
#               ones, by their times
#   untrusted   a mark, or a state folder, that another user may have put there is refused with
#               why (exit 2) by undo --last, copy and history, and nothing is removed or copied
#   running     a run still copying holds its journal: undo refuses it (exit 2), history shows it
#               running; once it has ended, or been killed, it is undone at once
#   undo-held   an undo started while another undoes the same run says so and removes nothing; the
#               first says what it removed, and marks the run
#   unwritable  a mark that cannot be made: undo exits 1 and says so, and undo --last takes the run
#               again; a journal that cannot be made stops the copy before any copy
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
printf 'number 1 3\n' >run.rules
mkdir out2 out3
cli=("$@")

copy() { "${cli[@]}" copy --source src.txt --on-failure skip "$@" </dev/null; }
# The journals in the state folder, oldest first.
journal_files() { (cd "$journals" 2>/dev/null && ls -- *.journal) | LC_ALL=C sort; }
# The name of the journal a command's messages name: at the end of a copy's last line ("...;
# journal: PATH"), on a line of its own for undo ("tandelo-cli: journal: PATH").
named_journal() {
  local line
  line=$(tr -d '\r' <"$1" | grep -E '^tandelo-cli: (.*; )?journal: ')
  echo "${line##*[/\\]}"
}
files() { find "$@" -type f | LC_ALL=C sort | tr '\n' ' '; }
count() { find "$1" -type f | wc -l; }
# A path within the scratch folder as the command is given it, relative, for Wine to read too.
relative() { echo "${1#"$tmp"/}"; }
# The state of the newest run as history lists it.
newest_state() { "${cli[@]}" history 2>/dev/null | head -n 1 | cut -f 2; }

case $case_name in
  written)
    "$@" copy --source src.txt --into out run.rules </dev/null 2>err || fail "the first run failed: $(cat err)"
    first=$(journal_files)
    [ "$(named_journal err)" = "$first" ] || fail "the run named $(named_journal err), wrote $first"
    grep -q '^end 3' "$journals/$first" || fail "the journal does not end with its count"
    # Quiet and skipping every name, then stopped at the first: each has its own journal, named.
    copy --quiet --into out run.rules 2>err
    [ $? = 1 ] || fail "a run skipping names did not exit 1"
    second=$(named_journal err)
    "$@" copy --on-failure stop --source src.txt --into out run.rules </dev/null 2>err
    [ $? = 3 ] || fail "a stopped run did not exit 3"
    third=$(named_journal err)
    [ "$(journal_files | tr '\n' ' ')" = "$first $second $third " ] ||
      fail "journals $(journal_files | tr '\n' ' '), named $first $second $third"
    # Numbered in the order the runs began; a number taken by a journal (a run killed before its
    # first line) or by a mark left behind is passed over.
    [[ "$first $second $third" == 000001-*' '000002-*' '000003-* ]] || fail "not numbered in order: $first $second $third"
    touch "$journals/000009-20000101-000000-000.journal" "$journals/000012-20000101-000000-000.undone"
    copy --into out3 run.rules 2>err || fail "a run after numbers taken failed: $(cat err)"
    [[ $(named_journal err) == 000013-*.journal ]] || fail "a taken number was not passed over: $(named_journal err)"
    [ -s "$journals/$(named_journal err)" ] && [ ! -s "$journals/000009-20000101-000000-000.journal" ] ||
      fail "a taken name was written"
    if [ $windows = 0 ]; then
      [ "$(stat -c %a "$state" "$journals" | tr '\n' ' ')" = "700 700 " ] || fail "folders not private"
      mkdir home
      for given in unset relative/state; do
        if [ $given = unset ]; then
          (unset XDG_STATE_HOME; HOME=$PWD/home copy --into out2 run.rules 2>err)
        else
          XDG_STATE_HOME=$given HOME=$PWD/home copy --into out2 run.rules 2>err
        fi
        grep -q "; journal: $PWD/home/.local/state/tandelo-cli/" err ||
          fail "XDG_STATE_HOME $given: $(cat err)"
        rm -f out2/*
      done
      [ "$(stat -c %a home/.local home/.local/state | tr '\n' ' ')" = "700 700 " ] || fail "folders not private"
      [ ! -e relative ] || fail "a relative XDG_STATE_HOME was used"
    fi
    ;;
  none)
    copy --no-journal --into out run.rules 2>err || fail "a run without a journal failed"
    copy --dry-run --into out2 run.rules >/dev/null 2>>err || fail "a dry run failed"
    if grep -q 'journal' err; then fail "a journal was named: $(cat err)"; fi
    [ ! -e "$state" ] || fail "the state folder was made: $(find "$state")"
    copy --journal j --no-journal --into out2 run.rules 2>err
    [ $? = 2 ] && grep -q -- '--journal and --no-journal' err || fail "both were taken: $(cat err)"
    [ ! -e j ] && [ -z "$(ls out2)" ] || fail "a refused run touched something"
    ;;
  undo-last)
    copy --into out run.rules 2>/dev/null
    copy --into out2 run.rules 2>/dev/null
    mv out2 away
    "$@" undo --last >undo.txt 2>err
    [ $? = 1 ] && grep -q 'is not there any more' err || fail "undo --last with the folder gone: $(cat err)"
    mv away out2
    "$@" undo --last --dry-run >undo.txt 2>/dev/null || fail "the dry run failed"
    [ "$(grep -c '^would remove .*out2' undo.txt)" = 3 ] || fail "the dry run is not of the newest run"
    [ "$(files out out2)" = "out/1.txt out/2.txt out/3.txt out2/1.txt out2/2.txt out2/3.txt " ] ||
      fail "the dry run removed files"
    "$@" undo --last >undo.txt 2>err || fail "the first undo --last failed: $(cat err)"
    [ "$(files out out2)" = "out/1.txt out/2.txt out/3.txt " ] || fail "the first undo --last left $(files out out2)"
    "$@" undo --last >undo.txt 2>err || fail "the second undo --last failed: $(cat err)"
    [ -z "$(files out out2)" ] || fail "the second undo --last left $(files out out2)"
    "$@" undo --last >undo.txt 2>err
    [ $? = 2 ] && grep -q 'no run left to undo' err || fail "with none left: $(cat err)"
    ;;
  history)
    # Three runs: the first undone by its file, the second cut short (its end line gone), the
    # third left as it is; a journal that is none; and a file of the user's, which is no run.
    copy --into out run.rules 2>/dev/null
    copy --into out2 run.rules 2>/dev/null
    printf 'number 1 2\n' >two.rules
    copy --into out3 two.rules 2>/dev/null
    read -r -d '' first second third < <(journal_files)
    "$@" undo "$journals/$first" >/dev/null || fail "undo of the first run failed"
    sed '$d' "$journals/$second" >cut && cat cut >"$journals/$second"
    copy --into out2 --journal 20300101-000000-000.journal run.rules 2>/dev/null
    "$@" undo 20300101-000000-000.journal >/dev/null || fail "undo of a journal outside the state folder failed"
    [ ! -e 20300101-000000-000.undone ] || fail "a mark was made outside the state folder"
    printf 'not a journal\n' >"$journals/29991231-235959-999.journal"
    printf 'mine\n' >"$journals/notes.txt"
    "$@" history >history.txt 2>err
    [ $? = 1 ] || fail "history with an unreadable journal did not exit 1"
    grep -q "29991231-235959-999.journal: not a journal" err || fail "no reason for the unreadable one: $(cat err)"
    tr -d '\r' <history.txt | cut -f 2-4 | sed 's|[^\t]*[/\\]||' >fields
    # Numbered runs newest first, then the one named before runs were numbered, far in the future
    # as its time is.
    printf '%s\t%s\t%s\n' - 2 out3 - 3 out2 undone 3 out unreadable '?' '?' | cmp -s - fields ||
      fail "history: $(cat history.txt)"
    # A time with its offset first, the journal's path last, on every line.
    tr -d '\r' <history.txt >lines
    [ "$(awk -F '\t' 'NF == 5' lines | cut -f 1 |
      grep -cE '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}[+-][0-9]{2}:[0-9]{2}$')" = 4 ] &&
      [ "$(cut -f 5 lines | grep -cE '[/\\][0-9-]+\.journal$')" = 4 ] || fail "the times or journals: $(cat lines)"
    ;;
  unmakeable)
    # A file where a folder should be: nothing is copied.
    use_state "$PWD/src.txt/state"
    copy --into out run.rules 2>err
    status=$?
    [ $status = 2 ] || fail "exit $status, expected 2"
    grep -q 'cannot make the folder for journals' err || fail "no message: $(cat err)"
    [ -z "$(ls out)" ] || fail "copies were made: $(ls out)"
    ;;
  clock)
    copy --into out run.rules 2>/dev/null
    copy --into out2 run.rules 2>/dev/null
    read -r -d '' first second < <(journal_files)
    # The first run's time a century after the second's, as a clock stepped back between them
    # leaves it; and a journal of the names before runs were numbered, dated later still.
    mv "$journals/$first" "$journals/${first%%-*}-20991231-235959-999.journal"
    copy --into out3 --journal "$(relative "$journals")/29991231-235959-999.journal" run.rules 2>/dev/null
    for expected in out2 out out3; do
      "$@" undo --last >undo.txt 2>err || fail "undo --last for $expected failed: $(cat err)"
      [ "$(count $expected)" = 0 ] || fail "undo --last did not take the run into $expected: $(files out out2 out3)"
    done
    [ -z "$(files out out2 out3)" ] || fail "left: $(files out out2 out3)"
    "$@" history | tr -d '\r' | cut -f 2,4 | sed 's|[^\t]*[/\\]||' >order
    printf 'undone\t%s\n' out2 out out3 | cmp -s - order || fail "history's order: $(cat order)"
    ;;
  untrusted)
    copy --into out run.rules 2>/dev/null
    copy --into out2 run.rules 2>/dev/null
    newest=$(journal_files | tail -n 1)
    mark=$journals/${newest%.journal}.undone
    # Another user's mark beside the newest run would have undo --last take the older one. Under
    # Wine every file is the user's own, and a mode others may write is an entry letting everyone.
    touch "$mark"
    if [ $windows = 0 ]; then chown 1234 "$mark"; else chmod 0666 "$mark"; fi
    "$@" undo --last >undo.txt 2>err
    [ $? = 2 ] && grep -q "will not trust the mark .*${newest%.journal}.undone: " err ||
      fail "undo --last with another's mark: $(cat err)"
    [ "$(count out) $(count out2)" = "3 3" ] && [ ! -s undo.txt ] || fail "undo --last removed files: $(cat undo.txt)"
    "$@" history >history.txt 2>err
    [ $? = 1 ] && [ "$(newest_state)" = unreadable ] && grep -q 'will not trust the mark' err ||
      fail "history with another's mark: $(cat history.txt err)"
    rm "$mark"
    # A state folder others may write: nothing is copied into it, undone or listed from it.
    chmod 0777 "$journals"
    copy --into out3 run.rules 2>err
    [ $? = 2 ] && grep -q 'will not use the folder of journals .*: other users may write it' err &&
      [ "$(count out3)" = 0 ] || fail "a copy with a state folder others may write: $(cat err)"
    "$@" undo --last >undo.txt 2>err
    [ $? = 2 ] && grep -q 'other users may write it' err || fail "undo --last: $(cat err)"
    "$@" undo "$(relative "$journals")/$newest" >undo.txt 2>err
    [ $? = 2 ] && grep -q 'other users may write it' err || fail "undo of its journal: $(cat err)"
    "$@" history >/dev/null 2>err
    [ $? = 2 ] && grep -q 'other users may write it' err || fail "history: $(cat err)"
    [ "$(count out) $(count out2)" = "3 3" ] || fail "files were removed"
    chmod 0700 "$journals"
    if [ $windows = 0 ]; then
      # A shared folder as XDG_STATE_HOME, where another user made the folder first.
      mkdir -m 1777 shared && mkdir -m 0777 shared/tandelo-cli && chown 1234 shared/tandelo-cli
      XDG_STATE_HOME=$PWD/shared copy --into out3 run.rules 2>err
      [ $? = 2 ] && grep -q 'it belongs to another user (1234)' err && [ "$(count out3)" = 0 ] ||
        fail "a copy into another user's state folder: $(cat err)"
      XDG_STATE_HOME=$PWD/shared "$@" undo --last 2>err
      [ $? = 2 ] && grep -q 'it belongs to another user (1234)' err || fail "undo --last: $(cat err)"
    fi
    "$@" undo --last >/dev/null 2>&1 && [ "$(count out2)" = 0 ] && [ "$(count out)" = 3 ] ||
      fail "once trusted again, undo --last did not undo the newest run"
    ;;
  running)
    # Stopped at a question about the name that exists, its answer still to come.
    touch out/2.txt
    mkfifo answers
    "$@" copy --on-failure ask --source src.txt --into out run.rules <answers >/dev/null 2>copy.err &
    run=$!
    exec 5>answers
    for _ in $(seq 100); do [ "$(newest_state)" = running ] && break; sleep 0.2; done
    [ "$(newest_state)" = running ] || fail "history did not show the run running: $("$@" history)"
    journal=$(journal_files)
    "$@" undo --last >undo.txt 2>err
    [ $? = 2 ] && grep -q "the run of .*$journal is still copying; nothing was removed" err ||
      fail "undo of a run still copying: $(cat err)"
    [ "$(files out)" = "out/1.txt out/2.txt " ] && [ ! -e "$journals/${journal%.journal}.undone" ] ||
      fail "undo of a run still copying removed or marked something: $(files out)"
    if [ $windows = 0 ]; then
      kill -9 $run
    else
      printf 'n\n' >&5  # a kill would reach the emulator's script, not the program
    fi
    exec 5>&-
    wait $run
    "$@" undo --last >undo.txt 2>err || fail "undo once the run ended: $(cat err)"
    [ "$(files out)" = "out/2.txt " ] && [ "$(newest_state)" = undone ] || fail "left: $(files out)"
    ;;
  undo-held)
    printf 'number 1 3000\n' >many.rules
    copy --quiet --into out many.rules 2>/dev/null
    # The first undo's lines go into a pipe nobody reads until "go": it waits there, holding the run.
    { "$@" undo --last 2>undo1.err; echo $? >undo1.status; } | { until [ -e go ]; do sleep 0.05; done; cat >undo1.txt; } &
    reader=$!
    for _ in $(seq 100); do [ "$(count out)" -lt 3000 ] && break; sleep 0.05; done
    sleep 0.3
    "$@" undo --last >undo2.txt 2>err
    [ $? = 2 ] && grep -q 'another undo of .* is under way; nothing was removed' err && [ ! -s undo2.txt ] ||
      fail "a second undo: $(cat err undo2.txt | head -3)"
    touch go
    wait $reader
    [ "$(cat undo1.status)" = 0 ] && [ "$(grep -c '^removed ' undo1.txt)" = 3000 ] && [ "$(count out)" = 0 ] ||
      fail "the first undo: exit $(cat undo1.status), $(grep -vc '^removed ' undo1.txt) other lines, $(count out) left"
    [ "$(newest_state)" = undone ] || fail "the run was not marked"
    ;;
  unwritable)
    copy --into out run.rules 2>/dev/null
    LD_PRELOAD=${TANDELO_REFUSE_OPEN:?the preload library} TANDELO_REFUSE_OPEN_END=.undone "$@" undo --last \
      >undo.txt 2>err
    [ $? = 1 ] && grep -q 'could not mark the run undone, so undo --last will take it again: cannot make the mark .*\.undone: Permission denied$' err ||
      fail "undo with a mark that cannot be made: $(cat err)"
    [ "$(count out)" = 0 ] && [ "$(newest_state)" = - ] || fail "the run was marked, or files left"
    "$@" undo --last >undo.txt 2>err && [ "$(grep -c '^absent ' undo.txt)" = 3 ] && [ "$(newest_state)" = undone ] ||
      fail "undo --last did not take the run again: $(cat err undo.txt)"
    LD_PRELOAD=$TANDELO_REFUSE_OPEN TANDELO_REFUSE_OPEN_END=.journal copy --into out2 run.rules 2>err
    [ $? = 2 ] && grep -q 'cannot create the journal .*: Permission denied (--journal FILE or --no-journal' err &&
      [ "$(count out2)" = 0 ] || fail "a copy with a journal that cannot be made: $(cat err)"
    ;;
  *) echo "default-journal.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
