# Sourced by the scripts that run tandelo-cli on real folders, with their arguments: CASE -- COMMAND...
# Takes the case's name into $case_name, leaves the command in "$@", and works in a fresh folder
# that goes at the end, with out/, a source src.txt and the fail/ok pair the checks report by.
# Paths are relative to that folder, so that a Windows build under Wine reads them too.
case_name=$1
shift 2
tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
mkdir out
printf 'a source file\n' >src.txt
ok=1
fail() { echo "FAIL: $*"; ok=0; }
