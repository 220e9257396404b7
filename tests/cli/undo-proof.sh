#!/usr/bin/env bash
# Undo against what a user may put in a run's place, and a name refused before anything is made,
# with the built command on a real folder.
# Usage: undo-proof.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   links         symbolic links at copies' names (one to the run's own copy, moved out of the
#                 folder with its sub-folder, one to the user's file) and hard links (the user's
#                 file at a copy's name, a copy given a second name) are kept, and what they lead to
#   folder-again  a sub-folder a name reaches, and then the run's folder, removed and made again
#                 (ext4 gives a folder its number back at once) with the user's files at the run's
#                 names: undo keeps them all; on Linux it says the folder is not the run's
#   broken-del    a name with DEL after a Shift-JIS lead byte is refused and nothing is made
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
mkdir out/sub
printf 'any "sub\\\\a" "b" "c" "d"\n' >run.rules
run() { "$@" </dev/null; }
# Removes the folder $1 with all in it and makes it again, at its number where the file system
# gives it again: ext4 usually does at once; a folder made at another number is moved aside and
# another made, a few times. Fails when the number is another.
make_again() {
  local number i
  number=$(stat -c %i "$1") && rm -r "$1" || return 1
  for i in 1 2 3 4 5; do
    mkdir "$1" || return 1
    [ "$(stat -c %i "$1")" = "$number" ] && return 0
    mv "$1" "aside-$i-$RANDOM"
  done
  mkdir "$1"
  return 1
}
# Every path below the scratch folder with its type and content, links not followed.
listing() {
  find . -path ./state -prune -o -mindepth 1 ! -name 'undo.txt' ! -name err -printf '%p %y %l\n' | LC_ALL=C sort
  find . -path ./state -prune -o -type f ! -name 'undo.txt' ! -name err -exec md5sum {} + | LC_ALL=C sort
}

case $case_name in
  links)
    run "$@" copy --quiet --journal j --source src.txt --into out run.rules 2>err || fail "the run failed: $(cat err)"
    mv out/sub away && mkdir out/sub && ln -s ../../away/a.txt out/sub/a.txt
    printf 'mine\n' >mine.txt
    rm out/b.txt && ln -s ../mine.txt out/b.txt
    rm out/c.txt && ln mine.txt out/c.txt
    ln out/d.txt second.txt
    before=$(listing)
    run "$@" undo j >undo.txt 2>err
    status=$?
    [ $status = 1 ] || fail "undo exit status $status with links kept, expected 1: $(cat undo.txt err)"
    [ "$(grep -c '^kept ' undo.txt)" = 4 ] || fail "not every link is listed as kept: $(cat undo.txt)"
    [ "$(listing)" = "$before" ] || fail "undo changed what it should keep: $(diff <(echo "$before") <(listing))"
    ;;
  folder-again)
    run "$@" copy --quiet --journal j --source src.txt --into out run.rules 2>err || fail "the run failed: $(cat err)"
    make_again out/sub
    cp -p src.txt out/sub/a.txt
    run "$@" undo j >undo.txt 2>err
    [ $? = 1 ] || fail "undo of a sub-folder made again did not exit 1: $(cat undo.txt err)"
    grep -q '^kept .*a\.txt: ' undo.txt || fail "the user's sub/a.txt is not listed as kept: $(cat undo.txt)"
    [ "$(find out -type f)" = out/sub/a.txt ] || fail "left: $(find out -type f)"

    printf 'fixed "x"\n' >x.rules
    run "$@" copy --quiet --journal jx --source src.txt --into out x.rules 2>err || fail "the run failed: $(cat err)"
    make_again out || echo "note: this file system gave the folder made again another number"
    cp -p src.txt out/x.txt
    before=$(listing)
    run "$@" undo jx >undo.txt 2>err
    [ $? = 1 ] || fail "undo into a folder made again did not exit 1: $(cat undo.txt err)"
    # NTFS gives a folder made again another number (its record's sequence number grows); Wine
    # gives the inode's again, and there only each file's own proof keeps the user's.
    if [ "$windows" = 0 ]; then
      grep -q 'is not the folder the run copied into' err || fail "undo took the folder for the run's: $(cat err)"
    fi
    [ "$(listing)" = "$before" ] || fail "undo changed the folder made again"
    ;;
  broken-del)
    printf 'fixed "a\\x81\\x7Fb"\n' >broken.rules
    before=$(listing)
    run "$@" copy --encoding shift-jis --on-failure skip --source src.txt --into out broken.rules >/dev/null 2>err
    status=$?
    [ $status = 1 ] || fail "exit status $status, expected 1: $(cat -v err)"
    # The message is Shift-JIS, and the name it quotes is no text at all: compare bytes.
    message=$(printf 'ファイル名に制御文字は使えません。' | iconv -f UTF-8 -t CP932)
    LC_ALL=C grep -aq -- "$message" err || fail "no control-character message: $(cat -v err)"
    [ -z "$(find out -mindepth 1 ! -path out/sub)" ] || fail "something was made: $(find out)"
    ;;
  *) echo "undo-proof.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
