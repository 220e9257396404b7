#!/usr/bin/env bash
# Output that scripts read: a name holding a line break stays one name.
# Usage: for-scripts.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   null   names -0 ends each name with a NUL; a dry run's lines too
#   json   names, a dry run, a copy and its undo as one JSON object a line, the summary last
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
printf 'any "a\\x0Ab" "c"\n' >break.rules
printf 'fixed "表"\n  number 1 2\n' >plain.rules

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
  *) echo "for-scripts.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
