#!/usr/bin/env bash
# Names in any script, on disk as they were asked for, and every path shown as it is on disk.
# Usage: any-name.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   unicode       café, 데이터, 😀 and 第1回 from a UTF-8 rule file into a folder named 데이터😀:
#                 the names on disk, byte for byte as Linux reads them; a second run's messages
#                 name the folder as it is, and every --json "path" is a file that exists
#   other-locale  the same under a locale that is not Japanese (Wine: code page 1252 unless the
#                 program asks for another), 報告 from the rule file as 報告.txt
#   shift-jis     (Linux) --encoding shift-jis: names on disk in Shift-JIS bytes, and the --json
#                 paths, which hold bytes that are not UTF-8, still reach the files
#   console       (Wine) on a console (a pseudo-terminal): the names and the question read right
#   legacy        (Wine) the command without its manifest, as on a Windows that does not honour
#                 it: under code page 1252 a name that page holds is made, one it lacks is refused
#                 with its code point; under 932 the run is Shift-JIS, and a character it lacks is
#                 refused at its line of the rule file
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
printf 'any "café" "데이터" "😀" "第1回"\n' >any.rules
printf 'fixed "報告"\n' >report.rules
folder=데이터😀
mkdir "$folder"
# The command run directly by Wine, not through the emulator's script, for a terminal or a locale
# of the test's own.
direct=("$@")
if [ $windows = 1 ]; then
  # shellcheck source=scripts/env.sh
  . "$(dirname "$1")/env.sh"
  direct=(wine "${@:2}")
fi
separator=/
if [ $windows = 1 ]; then separator='\'; fi
expected_names=$(printf 'café.txt\n데이터.txt\n😀.txt\n第1回.txt\n' | LC_ALL=C sort)
names_in() { (cd "$1" && LC_ALL=C ls -A); }
# Each "path" of a --json output names a file that exists, its bytes as a script gets them back.
json_paths_exist() {
  python3 - "$1" "$windows" <<'PY'
import json, os, sys
with open(sys.argv[1], encoding="utf-8", errors="surrogateescape") as lines:
    for line in lines:
        path = json.loads(line).get("path")
        if path is None:
            continue
        if sys.argv[2] == "1":
            path = path.replace("\\", "/")
        if not os.path.isfile(os.fsencode(path)):
            sys.exit("no file at " + ascii(path))
PY
}

case $case_name in
  unicode)
    "$@" copy --no-journal --source src.txt --into "$folder" any.rules </dev/null >out.txt 2>err.txt ||
      fail "the copy failed: $(cat err.txt)"
    [ "$(names_in "$folder")" = "$expected_names" ] || fail "on disk: $(names_in "$folder" | od -c)"
    "$@" copy --no-journal --json --on-failure skip --source src.txt --into "$folder" any.rules </dev/null \
      >again.json 2>again.txt
    [ $? = 1 ] || fail "the second run skipped every name yet said: $?"
    for name in café.txt 데이터.txt 😀.txt 第1回.txt; do
      grep -qF "tandelo-cli: $folder$separator${name}はすでに存在します。" again.txt || fail "no message for $name: $(cat again.txt)"
    done
    json_paths_exist again.json || fail "--json: $(cat again.json)"
    grep -q '"name":"😀.txt"' again.json || fail "--json names: $(cat again.json)"
    ;;
  other-locale)
    LANG=C.UTF-8 LC_ALL=C.UTF-8 "${direct[@]}" copy --no-journal --source src.txt --into out report.rules \
      </dev/null >/dev/null 2>err.txt || fail "the copy failed: $(cat err.txt)"
    [ "$(names_in out)" = 報告.txt ] || fail "on disk: $(names_in out | od -c)"
    LANG=C.UTF-8 LC_ALL=C.UTF-8 "${direct[@]}" copy --no-journal --source src.txt --into "$folder" any.rules \
      </dev/null >/dev/null 2>err.txt || fail "the copy failed: $(cat err.txt)"
    [ "$(names_in "$folder")" = "$expected_names" ] || fail "on disk: $(names_in "$folder" | od -c)"
    ;;
  shift-jis)
    printf 'any "\x95\xF1\x8D\x90" "\x95\x5C"\n' >sjis.rules  # 報告 and 表, whose second byte is that of "\"
    "$@" copy --no-journal --json --encoding shift-jis --source src.txt --into "$folder" sjis.rules </dev/null \
      >copy.json 2>err.txt || fail "the copy failed: $(cat err.txt)"
    [ "$(names_in "$folder" | od -An -tx1 | tr -d ' \n')" = "$(printf '\x95\x5c.txt\n\x95\xf1\x8d\x90.txt\n' | od -An -tx1 | tr -d ' \n')" ] ||
      fail "on disk: $(names_in "$folder" | od -c)"
    json_paths_exist copy.json || fail "--json: $(cat copy.json)"
    grep -q '"name":"報告.txt"' copy.json || fail "--json names: $(cat copy.json)"
    ;;
  console)
    touch out/第1回.txt
    # The answer comes once the question stands; "script" gives the command a terminal, which Wine
    # makes its console.
    { sleep 3; printf 'n\r'; } | LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
      script -qec "$(printf '%q ' "${direct[@]}") copy --no-journal --on-failure ask --source src.txt --into out any.rules" \
      /dev/null >console.txt 2>&1
    tr -d '\r' <console.txt | grep -qF "out${separator}第1回.txtはすでに存在します。複製を続行しますか？" ||
      fail "the question: $(tr -d '\r' <console.txt)"
    tr -d '\r' <console.txt | grep -qF "[y: はい / n: いいえ / a: 以降すべてはい]" || fail "its answers: $(cat console.txt)"
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 script -qec "$(printf '%q ' "${direct[@]}") names report.rules" /dev/null \
      >names.txt 2>&1
    tr -d '\r' <names.txt | grep -qx '\(.*\[?25l\)\?報告\(\x1b.*\)\?' || fail "names: $(od -c names.txt | head)"
    ;;
  legacy)
    legacy=("${direct[0]}" "$(windows_path "$TANDELO_LEGACY_CLI")")
    LANG=C.UTF-8 LC_ALL=C.UTF-8 "${legacy[@]}" copy --no-journal --on-failure skip --source src.txt --into out any.rules \
      </dev/null >/dev/null 2>err.txt
    [ $? = 1 ] || fail "under 1252 the run did not skip the names the code page lacks"
    [ "$(names_in out)" = café.txt ] || fail "under 1252, on disk: $(names_in out | od -c)"
    grep -qF "U+B370 cannot be held in the system's code page 1252" err.txt &&
      grep -qF "U+1F600 cannot be held in the system's code page 1252" err.txt || fail "under 1252: $(cat err.txt)"
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "${legacy[@]}" names any.rules </dev/null >/dev/null 2>err.txt
    [ $? = 2 ] && grep -qF "tandelo-cli: any.rules:1: U+00E9 cannot be held in Shift-JIS" err.txt ||
      fail "under 932: $(cat err.txt)"
    ;;
  *)
    fail "no case $case_name"
    ;;
esac
[ $ok = 1 ]
