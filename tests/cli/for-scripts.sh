#!/usr/bin/env bash
# Output that scripts read: a name holding a line break stays one name.
# Usage: for-scripts.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   null   names -0 ends each name with a NUL; a dry run's lines too
#   json   names, a dry run, a copy and its undo as one JSON object a line, the summary last
#   full   output that cannot be written (/dev/full) stops a copy and an undo at their first line,
#          with the journal and what was done on standard error (exit 3), and is an error of a
#          command that touches nothing (exit 2)
#   closed standard output closed (a closed pipe): the same, with exit 141
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
printf 'any "a\\x0Ab" "c"\n' >break.rules
printf 'fixed "表"\n  number 1 2\n' >plain.rules
printf 'number 1 5\n' >five.rules
# The command with its standard output as given, not through the emulator's script, which would
# send it to a file of its own.
direct=("$@")
if [ $windows = 1 ]; then
  # shellcheck source=scripts/env.sh
  . "$(dirname "$1")/env.sh" && use_japanese_locale
  direct=(wine "${@:2}")
fi
# The command with its standard output a pipe whose reading end is closed before it starts.
closed() {
  python3 -c 'import os, subprocess, sys
r, w = os.pipe()
os.close(r)
sys.exit(subprocess.run(sys.argv[1:], stdout=w, stdin=subprocess.DEVNULL).returncode)' "$@"
}
# The journal the last line of a copy names.
named_journal() { tr -d '\r' <"$1" | sed -n 's/^tandelo-cli: .*; journal: //p'; }

case $case_name in
  null)
    "$@" names -0 break.rules </dev/null >out.bin || fail "names -0 failed"
    [ "$(od -An -c out.bin | tr -s ' ' | tr -d '\n')" = " a \n b \0 c \0" ] || fail "names -0: $(od -An -c out.bin)"
    "$@" copy -n -0 --source src.txt --into out plain.rules </dev/null >plan.bin 2>/dev/null
    [ "$(tr '\0' '|' <plan.bin | tr -d '\r')" = "would copy: 表1.txt|would copy: 表2.txt|" ] ||
      [ "$(tr '\0' '|' <plan.bin | iconv -f CP932 -t UTF-8)" = "would copy: 表1.txt|would copy: 表2.txt|" ] ||
      fail "dry run -0: $(od -An -c plan.bin)"
    ;;
  json)
    "$@" names --json break.rules </dev/null >names.json || fail "names --json failed"
    [ "$(cat names.json)" = '{"name":"a\nb"}
{"name":"c"}' ] || fail "names --json: $(cat names.json)"
    "$@" copy --json --on-failure skip --source src.txt --into out break.rules </dev/null >copy.json 2>err.txt
    [ $? = 1 ] || fail "the copy skipped a name yet said: $?"
    [ "$(wc -l <copy.json)" = 3 ] || fail "not one object a name and the summary: $(cat copy.json)"
    # The path is the platform's: "out/..." on Linux, "out\\..." (one backslash, escaped) on Windows.
    grep -Eq '^[{]"name":"a\\nb.txt","path":"out(/|\\\\)a\\nb.txt","result":"refused","reason":"' copy.json ||
      fail "the refused name: $(cat copy.json)"
    grep -Eq '^[{]"name":"c.txt","path":"out(/|\\\\)c.txt","result":"copied"[}]$' copy.json || fail "the copied name: $(cat copy.json)"
    tail -n 1 copy.json | grep -q '^{"summary":{"dry_run":false,"names":2,"copied":1,"skipped":1,"stopped":false,.*"journal":"' ||
      fail "the summary: $(tail -n 1 copy.json)"
    "$@" undo --json --last </dev/null >undo.json 2>/dev/null || fail "undo --json --last failed"
    [ "$(head -n 1 undo.json | sed 's/"path":"[^"]*"/"path":P/')" = '{"path":P,"result":"removed"}' ] ||
      fail "undo's file: $(cat undo.json)"
    tail -n 1 undo.json | grep -q '^{"summary":{"dry_run":false,"removed":1,"absent":0,"kept":0,"journal":"' ||
      fail "undo's summary: $(tail -n 1 undo.json)"
    [ -z "$(ls out)" ] || fail "undo left: $(ls out)"
    ;;
  full | closed)
    if [ $case_name = full ]; then
      stopped=3
      run_to() { "${direct[@]}" "$@" </dev/null >/dev/full; }
    else
      stopped=141
      run_to() { closed "${direct[@]}" "$@"; }
    fi
    run_to copy --json --source src.txt --into out five.rules 2>err
    status=$?
    journal=$(named_journal err)
    [ $status = $stopped ] && [ "$(ls out)" = 1.txt ] || fail "copy: exit $status, made $(ls out | tr '\n' ' ')"
    grep -q '^tandelo-cli: 5 names: 1 copied, 0 skipped, 4 not tried; journal: .' err &&
      grep -q '^end 1' "$journals/${journal##*[/\\]}" ||
      fail "copy's last line or journal: $(cat err)"
    # The undo of five copies stops at the first file's line: one removed, four left.
    mkdir out2
    "$@" copy --quiet --source src.txt --into out2 five.rules </dev/null 2>/dev/null
    run_to undo --json --last 2>err
    status=$?
    [ $status = $stopped ] && [ "$(ls out2 | wc -l)" = 4 ] || fail "undo: exit $status, left $(ls out2 | tr '\n' ' ')"
    journal=$(tr -d '\r' <err | sed -n 's/^tandelo-cli: journal: //p')
    grep -q '^tandelo-cli: undo stopped, ' err &&
      grep -qF ": 1 removed, 0 absent, 0 kept; the run is not marked undone; journal: $journal" err ||
      fail "undo's last line: $(cat err)"
    [ -z "$(find "$journals" -name '*.undone')" ] || fail "an undo stopped marked the run"
    if [ $case_name = full ]; then
      grep -q '^tandelo-cli: cannot write the output: ' err || fail "no reason: $(cat err)"
      for command in "names five.rules" "history" "copy -n --source src.txt --into out five.rules" "undo -n --last"; do
        # shellcheck disable=SC2086
        run_to $command 2>err
        status=$?
        [ $status = 2 ] && grep -q 'cannot write the output' err || fail "$command: exit $status, $(cat err)"
      done
      [ "$(ls out2 | wc -l)" = 4 ] || fail "a dry run touched files"
    fi
    # Taken again by the next undo --last, which finds the file removed.
    "$@" undo --last </dev/null >undo.txt 2>err && [ "$(grep -c "^absent " undo.txt)" = 1 ] && [ -z "$(ls out2)" ] ||
      fail "undo again: $(cat err)"
    ;;
  *) echo "for-scripts.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
