#!/usr/bin/env bash
# Installs the build into a DESTDIR as a package would (prefix /usr) and
# checks that exactly the expected files land there; the other desktop checks
# look at this tree.
. "$(dirname "$0")/common.sh"
rm -rf "$OMBRIX_ROOT"
DESTDIR="$OMBRIX_ROOT" cmake --install "$OMBRIX_BUILD" --prefix /usr >/dev/null

expected=(
  bin/ombrix bin/ombrix-cli
  share/ombrix/help.sh
  share/applications/$app.desktop
  share/metainfo/$app.metainfo.xml
  share/mime/packages/$app.xml
  share/icons/hicolor/scalable/apps/$app.svg
  share/man/man1/ombrix.1.gz share/man/man1/ombrix-cli.1.gz
  share/bash-completion/completions/ombrix-cli
  share/zsh/vendor-completions/_ombrix-cli
  share/doc/ombrix/copyright share/doc/ombrix/changelog.gz
)
for s in $icon_sizes; do expected+=("share/icons/hicolor/${s}x$s/apps/$app.png"); done
# Every container type has its icon, drawn and at every size.
for t in $(mime_types); do
  icon=${t/\//-}
  expected+=("share/icons/hicolor/scalable/mimetypes/$icon.svg")
  for s in $icon_sizes; do expected+=("share/icons/hicolor/${s}x$s/mimetypes/$icon.png"); done
done

diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$usr" && find . -type f | sed 's|^\./||' | sort) ||
  fail "installed files differ from the expected list (< expected, > installed)"
[ -z "$(find "$OMBRIX_ROOT" -not -path "$usr/*" -not -path "$usr" -not -path "$OMBRIX_ROOT")" ] ||
  fail "files installed outside the prefix"
for p in ombrix ombrix-cli; do [ -x "$usr/bin/$p" ] || fail "$p is not executable"; done
cmp "$OMBRIX_BUILD/help.sh" "$usr/share/ombrix/help.sh"
[ "$("$usr/bin/ombrix" --version)" = "ombrix 1.0" ] || fail "installed ombrix --version"
[ "$("$usr/bin/ombrix-cli" --version)" = "ombrix-cli 1.0" ] || fail "installed ombrix-cli --version"
for f in "$usr"/share/icons/hicolor/*x*/*/*.png; do
  size=${f#"$usr"/share/icons/hicolor/}; size=${size%%/*}
  [ "$(file -b "$f" | grep -o '[0-9]* x [0-9]*' | tr -d ' ')" = "$size" ] || fail "$f is not $size"
done
echo "installed into $OMBRIX_ROOT"
