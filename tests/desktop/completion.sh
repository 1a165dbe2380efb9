#!/usr/bin/env bash
# The shell completions for ombrix-cli: both parse, and the bash one offers
# what ombrix-cli takes, by itself and when bash-completion loads it on demand
# from the installed tree; the zsh one offers the same, through zsh's own
# completion system.
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

# Every long option of `ombrix-cli --help` is offered after the command; the
# format only when encrypting, since decrypting takes both.
options=$("$usr/bin/ombrix-cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ "$(complete_line ombrix-cli encrypt --)" = "$options" ] ||
  fail "options offered: $(complete_line ombrix-cli encrypt -- | tr '\n' ' '), --help lists: $(echo $options)"
[ "$(complete_line ombrix-cli decrypt --)" = "$(grep -vx -- --format <<<"$options")" ] ||
  fail "options offered for decrypt: $(complete_line ombrix-cli decrypt -- | tr '\n' ' ')"

mkdir "$tmp/files"
cd "$tmp/files"
mkdir "sub dir" out
touch a.kvr B.KVR notes.txt "x y.kvr" sub\ dir/c.kvr report.txt.kvx D.KvX kvx
expect "--help,--version,decrypt,encrypt" ombrix-cli ""
expect "--help" ombrix-cli --h
expect "--delete,--dest" ombrix-cli encrypt --de
expect "ask,no,yes" ombrix-cli encrypt --replace ""
expect "yes" ombrix-cli decrypt --replace = y
expect "out" ombrix-cli encrypt -d o
expect "out,sub dir" ombrix-cli encrypt --dest ""
expect "a.kvr,B.KVR,D.KvX,kvx,notes.txt,out,report.txt.kvx,sub dir,x y.kvr" ombrix-cli encrypt ""
expect "a.kvr,B.KVR,D.KvX,out,report.txt.kvx,sub dir,x y.kvr" ombrix-cli decrypt -q ""
expect "report.txt.kvx" ombrix-cli decrypt r
expect "sub dir/c.kvr" ombrix-cli decrypt "sub dir/"
expect "kvr,kvx" ombrix-cli encrypt --format ""
expect "kvx" ombrix-cli encrypt -q --format = kvx
expect "--format" ombrix-cli encrypt --f
expect "" ombrix-cli decrypt --f
expect "" ombrix-cli encrypt -- --d
expect "notes.txt" ombrix-cli encrypt -p n

# bash-completion finds it in the installed tree by the command's name.
source /usr/share/bash-completion/bash_completion
complete -r ombrix-cli
unset -f _ombrix_cli
XDG_DATA_DIRS="$usr/share" __load_completion ombrix-cli || fail "bash-completion does not load it"
expect "decrypt" ombrix-cli d

# zsh: each line is typed into an interactive zsh on a pseudo-terminal and
# followed by Tab; a wrapped compadd writes down the matches it is given.
# Nothing is typed ahead: zle may drop a completion while input is pending, so
# each step waits for the prompt, or for the mark its Tab widget shows.
cat >"$tmp/zcomplete.zsh" <<'EOF'
zmodload zsh/zpty
fpath_dir=$1 out=$2; shift 2
zpty z zsh -f -i
zpty -w z "PS1='@@PR''OMPT@@ '; fpath=($fpath_dir \$fpath); autoload -Uz compinit; compinit -u -d $out.dump"
zpty -w z 'compadd() { local -a m; builtin compadd -O m "$@"; print -rl -- $m >>'$out'; builtin compadd "$@"; }'
zpty -w z 'tab() { zle complete-word; zle -M @@TAB""BED@@; }; zle -N tab; bindkey "^I" tab'
zpty -w z 'print -r -- @@DO""NE0@@'  # the echo of a typed line does not match
n=0
zpty -r z _ "*@@DONE$n@@*@@PROMPT@@ *"
for line in "$@"; do
  (( n++ ))
  print -r -- "@@ $line" >>$out
  zpty -w -n z "$line"$'\t'
  zpty -r z _ '*@@TABBED@@*'
  zpty -w z $'\C-e\C-u'"print -r -- @@DO\"\"NE$n@@"
  zpty -r z _ "*@@DONE$n@@*@@PROMPT@@ *"
done
zpty -d z
EOF
zexpect=(  # expected matches (comma-separated) | the line typed before Tab
  "decrypt,encrypt|ombrix-cli "
  "$(grep -vx -- '--help\|--version' <<<"$options" | paste -sd,)|ombrix-cli encrypt --"
  "$(grep -vx -- '--help\|--version\|--format' <<<"$options" | paste -sd,)|ombrix-cli decrypt --"
  "kvr,kvx|ombrix-cli encrypt --format="
  "ask,no,yes|ombrix-cli decrypt --replace="
  "a.kvr,B.KVR,D.KvX,out,report.txt.kvx,sub dir,x y.kvr|ombrix-cli decrypt -q "
  "notes.txt|ombrix-cli encrypt n"
)
lines=()
for row in "${zexpect[@]}"; do lines+=("${row#*|}"); done
timeout 60 zsh -f "$tmp/zcomplete.zsh" "$usr/share/zsh/vendor-completions" "$tmp/zsh.out" "${lines[@]}" ||
  fail "zsh completion did not answer"
for row in "${zexpect[@]}"; do
  want=$(tr ',' '\n' <<<"${row%%|*}" | grep . | sort)
  got=$(awk -v l="@@ ${row#*|}" '$0 == l {on = 1; next} /^@@ / {on = 0} on' "$tmp/zsh.out" | sed 's/\\//g' | grep . | sort -u)
  [ "$got" = "$want" ] || fail "zsh: ${row#*|}<Tab>: got '$(paste -sd, <<<"$got")', want '$(paste -sd, <<<"$want")'"
done
echo "completion ok"
