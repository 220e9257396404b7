#!/usr/bin/env zsh
# The zsh completion as zsh runs it: found in fpath by compinit, then asked about command lines
# (the cases it shares with fish, in data/completion-cases.txt) in an interactive zsh on a
# pseudo-terminal, Tab pressed at their end, in a folder with files, folders and names with a
# space. What each Tab offers is read from compadd, which the shell's completion system calls with
# the words it keeps for the line.
# Usage: zsh-completion.zsh COMPLETION-SCRIPT
emulate -R zsh
cases=${0:A:h}/data/completion-cases.txt
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

# The cases zsh and fish share, each with what zsh offers.
checked=0
while IFS='|' read -r line answer _; do
  [[ $line == \#* ]] || { expect $line $answer; (( ++checked )) }
done <$cases
(( checked >= 20 )) || { print -r -- "FAIL: only $checked cases read from $cases"; ok=0 }
[[ $ok == 1 ]]
