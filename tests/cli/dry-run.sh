#!/usr/bin/env bash
# A dry run is a promise: in a folder with a mix of cases, each name's verdict in the dry run is
# what the run right after it does to that name, with the same reason.
# Usage: dry-run.sh CASE -- COMMAND...   (COMMAND runs tandelo-cli, through Wine or not)
#   mix         new names, an existing file, a missing sub-folder, a sub-folder that is a file, a
#               name too long for the system, names the program refuses, a sub-folder that exists
#               (and, on Linux, one that is a link out of the folder)
#   same-file   names that reach one file: through a link to a sub-folder inside the folder, and
#               on Windows spelt in other letter cases or with a dot or a space at the end
#   unwritable  (Linux) a sub-folder the user may not add files to, run as a user who is not root
#               (root may write anywhere): as nobody when the test runs as root
set -u
# shellcheck source=tests/cli/scratch.sh
. "$(dirname "$0")/scratch.sh"
windows=0
case " $* " in *wine*) windows=1 ;; esac

mkdir out/sub elsewhere
printf 'mine\n' >out/taken.txt
printf 'a file\n' >out/plain
[ $windows = 0 ] && ln -s ../elsewhere out/away
long=$(printf 'l%.0s' $(seq 1 300))
printf 'any "new" "taken" "missing\\\\x" "plain\\\\x" "%s" "nul" "con" "a:b" "sub\\\\y" "away\\\\z" "new"\n' "$long" >mix.rules

files() { (cd out && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

# Runs the dry run, then the run, of RULES (with `as` before the command) and checks that the run
# did to each name, in order, what the dry run said, with the same reason, and that the files
# made are as many as the names it copied.
promise() {
  local rules=$1
  shift
  $as "$@" copy --dry-run --json --source "$source" --into out "$rules" </dev/null >plan.json 2>/dev/null
  [ $? = 1 ] || fail "dry-run exit status, expected 1"
  files >before
  $as "$@" copy --json --no-journal --on-failure skip --source "$source" --into out "$rules" </dev/null \
    >run.json 2>err.txt
  [ $? = 1 ] || fail "run exit status, expected 1: $(cat err.txt)"
  local planned happened
  planned=$(grep -v '^{"summary"' plan.json | sed 's/"result":"would-copy"/"result":"copied"/')
  happened=$(grep -v '^{"summary"' run.json)
  [ "$planned" = "$happened" ] ||
    fail "the run did other than its dry run said:$(diff <(echo "$planned") <(echo "$happened") | sed 's/^/  /')"
  local copied
  copied=$(grep -c '"result":"copied"' <<<"$happened")
  [ "$copied" -ge 2 ] || fail "too few names copied to prove anything: $happened"
  [ "$(files | LC_ALL=C comm -13 before - | wc -l)" = "$copied" ] ||
    fail "the run made other files than it says it copied: $(files | LC_ALL=C comm -13 before - | tr '\n' ' ')"
}
as=
source=src.txt

case $case_name in
  mix)
    promise mix.rules "$@"
    [ -z "$(ls elsewhere)" ] || fail "a copy went out of the folder"
    ;;
  same-file)
    # A link inside the folder to its sub-folder (Wine follows a Unix link as Windows a junction),
    # and a source without an extension, so that names may end in a dot or a space.
    ln -s sub out/link
    printf 'data\n' >data
    source=data
    printf 'any "sub\\\\x" "link\\\\x" "a" "A" "b." "b" "c " "c" "link\\\\X."\n' >same.rules
    promise same.rules "$@"
    if [ $windows = 1 ]; then
      [ "$(files | tr '\n' ' ')" = "a b c plain sub/x taken.txt " ] || fail "made: $(files | tr '\n' ' ')"
    else
      [ "$(files | tr '\n' ' ')" = "A a b b. c c  plain sub/X. sub/x taken.txt " ] ||
        fail "made: $(files | tr '\n' ' ')"
    fi
    ;;
  unwritable)
    mkdir out/locked
    chmod 0555 out/locked
    chmod 0777 out out/sub
    printf 'any "locked\\\\x" "sub\\\\y" "new"\n' >locked.rules
    if [ "$(id -u)" = 0 ]; then
      # The command from a folder nobody may reach, wherever the build is.
      chmod 0755 "$tmp"
      cp "$1" "$tmp/tandelo-cli"
      as="setpriv --reuid=nobody --regid=nogroup --clear-groups"
      set -- "$tmp/tandelo-cli"
    fi
    promise locked.rules "$@"
    grep -q '"name":"locked\\\\x.txt",.*"result":"refused"' plan.json ||
      fail "the dry run did not refuse the locked folder: $(cat plan.json)"
    ;;
  *) echo "dry-run.sh: unknown case $case_name"; exit 2 ;;
esac
[ $ok = 1 ] || exit 1
