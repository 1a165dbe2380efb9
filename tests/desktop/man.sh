#!/usr/bin/env bash
# Both installed man pages render, without a warning from the formatter.
. "$(dirname "$0")/common.sh"
need man
for page in ombrix ombrix-cli; do
  out=$(MAN_DISABLE_SECCOMP=1 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>"$tmp/err") ||
    fail "man -l $page.1.gz failed: $(cat "$tmp/err")"
  [ ! -s "$tmp/err" ] || fail "$page.1: $(cat "$tmp/err")"
  grep -q "^NAME" <<<"$out" || fail "$page.1 has no NAME section"
  grep -q "^ *$page - " <<<"$out" || fail "$page.1 does not name $page"
  grep -q "^EXIT STATUS" <<<"$out" || fail "$page.1 has no EXIT STATUS section"
  echo "$page.1: $(wc -l <<<"$out") lines"
done
