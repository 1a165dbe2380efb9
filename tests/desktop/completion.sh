#!/usr/bin/env bash
# The shell completions for ombrix-cli: both parse, and the bash one offers
# what ombrix-cli takes, by itself and when bash-completion loads it on demand
# from the installed tree.
. "$(dirname "$0")/common.sh"
need bash zsh
bashc="$usr/share/bash-completion/completions/ombrix-cli"
bash -n "$bashc"
zsh -n "$usr/share/zsh/vendor-completions/_ombrix-cli"

# What the completion offers for a command line whose last word is being
# typed ("" = a new word), one answer per line, sorted.
complete_line() {
  local -a COMP_WORDS=("$@") COMPREPLY=()
  local COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _ombrix_cli ombrix-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {  # expected answers (comma-separated), then the command line
  local want got
  want=$(tr ',' '\n' <<<"$1" | grep . | sort); shift
  got=$(complete_line "$@")
  [ "$got" = "$want" ] || fail "$*<Tab>: got '$(paste -sd, <<<"$got")', want '$(paste -sd, <<<"$want")'"
}

source "$bashc"
[ "$(complete -p ombrix-cli)" = "complete -F _ombrix_cli ombrix-cli" ] || fail "not registered for ombrix-cli"

# Every long option of `ombrix-cli --help` is offered after the command.
options=$("$usr/bin/ombrix-cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ "$(complete_line ombrix-cli encrypt --)" = "$options" ] ||
  fail "options offered: $(complete_line ombrix-cli encrypt -- | tr '\n' ' '), --help lists: $(echo $options)"

cd "$tmp"
mkdir "sub dir" out
touch a.kvr B.KVR notes.txt "x y.kvr" sub\ dir/c.kvr
expect "--help,--version,decrypt,encrypt" ombrix-cli ""
expect "--help" ombrix-cli --h
expect "--delete,--dest" ombrix-cli encrypt --de
expect "ask,no,yes" ombrix-cli encrypt --replace ""
expect "yes" ombrix-cli decrypt --replace = y
expect "out" ombrix-cli encrypt -d o
expect "out,sub dir" ombrix-cli encrypt --dest ""
expect "a.kvr,B.KVR,notes.txt,out,sub dir,x y.kvr" ombrix-cli encrypt ""
expect "a.kvr,B.KVR,out,sub dir,x y.kvr" ombrix-cli decrypt -q ""
expect "sub dir/c.kvr" ombrix-cli decrypt "sub dir/"
expect "" ombrix-cli encrypt -- --d
expect "notes.txt" ombrix-cli encrypt -p n

# bash-completion finds it in the installed tree by the command's name.
source /usr/share/bash-completion/bash_completion
complete -r ombrix-cli
unset -f _ombrix_cli
XDG_DATA_DIRS="$usr/share" __load_completion ombrix-cli || fail "bash-completion does not load it"
expect "decrypt" ombrix-cli d
echo "completion ok"
