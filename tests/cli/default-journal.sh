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
    # Every name of the next seconds taken, as by runs begun at each instant (taken again when
    # the run began after them, on a slow machine).
    for attempt in 1 2 3; do
      rm -f out/*
      now=$(date -u +%s)
      for second in $(seq "$now" $((now + 4))); do
        (cd "$journals" && touch $(printf "$(date -u -d "@$second" +%Y%m%d-%H%M%S)-%03d.journal " $(seq 0 999)))
      done
      copy --into out run.rules 2>err || fail "a run with its name taken failed: $(cat err)"
      taken=$(named_journal err)
      [[ $taken < $(date -u -d "@$((now + 5))" +%Y%m%d-%H%M%S) ]] && break
      taken="none (each run began after the names taken)"
    done
    [[ $taken == *-1.journal ]] && [ -s "$journals/$taken" ] || fail "a taken name was not passed over: $taken"
    # Written: the three runs before and these; the names taken are still empty.
    [ "$(find "$journals" -name '*.journal' -size +0 | wc -l)" = $((3 + attempt)) ] || fail "a taken name was written"
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
    printf '%s\t%s\t%s\n' unreadable '?' '?' - 2 out3 - 3 out2 undone 3 out | cmp -s - fields ||
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
  *) echo "default-journal.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
