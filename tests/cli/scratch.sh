# Sourced by the scripts that run tandelo-cli on real folders, with their arguments: CASE -- COMMAND...
# Takes the case's name into $case_name, leaves the command in "$@", and works in a fresh folder
# that goes at the end, with out/, a source src.txt and the fail/ok pair the checks report by.
# Paths are relative to that folder, so that a Windows build under Wine reads them too. The
# command's journals go to $journals, in the folder; $windows is 1 for a Windows build.
case_name=$1
shift 2
tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
# The command's state folder, where a copy's journal goes by default, is the scratch folder's own
# (use_state changes it): a test never writes to the user's. Wine gives a program started from
# Linux the LOCALAPPDATA of its registry, but one that cmd starts has cmd's environment; cmd then
# reads the arguments that follow, which must hold no spaces, quotes or "%".
windows=0
case " $* " in *wine*) windows=1 ;; esac
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
use_state() {
  state=$1
  export XDG_STATE_HOME=$state
  SCRATCH_LOCALAPPDATA=$(windows_path "$state")
  export SCRATCH_LOCALAPPDATA
  journals=$state/tandelo-cli
  if [ $windows = 1 ]; then journals=$state/Tandelo/journals; fi
}
use_state "$tmp/state"
if [ $windows = 1 ]; then
  set -- "${@:1:$#-1}" cmd /c "set LOCALAPPDATA=%SCRATCH_LOCALAPPDATA%&& $(windows_path "${!#}")"
fi
mkdir out
printf 'a source file\n' >src.txt
ok=1
fail() { echo "FAIL: $*"; ok=0; }
