#!/usr/bin/env zsh
# The zsh completion as zsh runs it: found in fpath by compinit, then asked about command lines in
# an interactive zsh on a pseudo-terminal, Tab pressed at their end, in a folder with files,
# folders and names with a space. What each Tab offers is read from compadd, which the shell's
# completion system calls with the words it keeps for the line.
# Usage: zsh-completion.zsh COMPLETION-SCRIPT
emulate -R zsh
zmodload zsh/zpty && tmp=$(mktemp -d) || exit 2
trap 'zpty -d shell 2>/dev/null; rm -rf $tmp' EXIT
mkdir $tmp/functions $tmp/work && cp $1 $tmp/functions/_tandelo-cli && cd $tmp/work || exit 2
mkdir out 'my folder' && touch report.txt report.rules 'my rules.rules' || exit 2

# The words that compadd keeps (those matching what is typed) go to $tmp/offered, one a line;
# calls that only ask what would match (-O, -A, -D) are the completion system's own. The widget
# ends each Tab with a line of its own.
cat >$tmp/.zshrc <<END
fpath=($tmp/functions \$fpath)
autoload -Uz compinit && compinit -u -D
PS1='> '
compadd() {
  local -a asking
  zparseopts -E -a asking O: A: D:
  if (( \$#asking )); then builtin compadd "\$@"; return; fi
  local -a kept
  builtin compadd -A kept "\$@"
  print -rl -- \$kept >>$tmp/offered
  builtin compadd "\$@"
}
_offered() { _main_complete; print -r -- '<end>' >>$tmp/offered }
zle -C offered complete-word _offered
bindkey -e
bindkey '^I' offered
END
zpty shell "ZDOTDIR=$tmp zsh -i"

ok=1
# expect LINE ANSWERS: presses Tab after LINE; the words offered, sorted and joined by commas.
expect() {
  local line=$1 want=$2 got i
  rm -f $tmp/offered
  zpty -w -n shell "$line"$'\t'
  for i in {1..200}; do
    [[ -f $tmp/offered ]] && grep -qx '<end>' $tmp/offered && break
    sleep 0.05
  done
  got=$(grep -v -e '^<end>$' -e '^$' $tmp/offered 2>/dev/null | LC_ALL=C sort -u | paste -sd, -)
  [[ $got == "$want" ]] || { print -r -- "FAIL: '$line' completes to '$got', expected '$want'"; ok=0 }
  # The line is emptied for the next, and what the terminal shows is read away.
  zpty -w -n shell $'\C-e\C-u'
  while zpty -r -t shell _; do :; done
}

expect 'tandelo-cli ' 'copy,help,history,names,undo'
expect 'tandelo-cli -' '--help,--version,-V,-h'
# Each command's own options with their short forms, and those that stand alone.
expect 'tandelo-cli undo -' '--dry-run,--help,--json,--last,--null,--version,-0,-V,-h,-n'
expect 'tandelo-cli names --' '--encoding,--help,--join,--json,--null,--source,--version'
expect 'tandelo-cli history -' '--help,--version,-V,-h'
# The command is the first word that is no option: "help" here is the file --source names.
expect 'tandelo-cli names --source help --' '--encoding,--help,--join,--json,--null,--version'
# Never an option the line holds, in either form, nor one that cannot go with it.
expect 'tandelo-cli copy -n --json -' '--encoding,--help,--into,--join,--journal,--no-journal,--on-failure,--quiet,--source,--version,-V,-h,-q'
expect 'tandelo-cli copy --no-journal --j' '--join,--json'
# Bundled short flags.
expect 'tandelo-cli copy -n' '-n0,-nV,-nh,-nq'
expect 'tandelo-cli copy --on-failure s' 'skip,stop'
expect 'tandelo-cli copy --encoding=u' 'utf-8'
expect 'tandelo-cli copy --encoding=' 'shift-jis,utf-8'
# Folders for --into, files (and the folders on the way to them) elsewhere, spaces kept.
expect 'tandelo-cli copy --into ' 'my\ folder,out'
expect 'tandelo-cli copy --journal my' 'my\ folder,my\ rules.rules'
expect 'tandelo-cli copy --source=rep' 'report.rules,report.txt'
expect 'tandelo-cli copy -n --source report.txt --into out rep' 'report.rules,report.txt'
expect 'tandelo-cli undo ' 'my\ folder,my\ rules.rules,out,report.rules,report.txt'
# --last takes the journal's place, and a journal given keeps --last from the line.
expect 'tandelo-cli undo --last ' '--dry-run,--help,--json,--null,--version,-0,-V,-h,-n'
expect 'tandelo-cli undo run.journal --' '--dry-run,--help,--json,--null,--version'
expect 'tandelo-cli help ' 'rules'
# "--" ends the options: what follows is the operand.
expect 'tandelo-cli names -- rep' 'report.rules,report.txt'
[[ $ok == 1 ]]
