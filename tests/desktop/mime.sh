#!/usr/bin/env bash
# The MIME package is valid and, compiled into a database together with the
# system's own types, makes xdg-mime name our containers by their names (and
# by their magic, for a format that has one).
. "$(dirname "$0")/common.sh"
need xmllint update-mime-database xdg-mime
# Without a desktop session xdg-mime asks `mimetype`, which reads the
# shared-mime-info database; `file` would not know our types.
need mimetype
xml="$usr/share/mime/packages/$app.xml"
xmllint --noout --relaxng "$(dirname "$0")/mime-info.rng" "$xml"

mkdir -p "$tmp/data/mime/packages" "$tmp/home" "$tmp/files"
cp /usr/share/mime/packages/freedesktop.org.xml "$xml" "$tmp/data/mime/packages/"
XDG_DATA_DIRS="$tmp/data" update-mime-database "$tmp/data/mime"

# A real container, written by the installed ombrix-cli.
printf 'secret\n' >"$tmp/pw"
printf 'some text\n' >"$tmp/files/report.txt"
"$usr/bin/ombrix-cli" encrypt -q -p "$tmp/pw" "$tmp/files/report.txt" >/dev/null
# And a real .kvx, also under a name of no kind, so its own first bytes must
# carry the signature the MIME package looks for.
"$usr/bin/ombrix-cli" encrypt -q --format kvx -p "$tmp/pw" "$tmp/files/report.txt" >/dev/null
cp "$tmp/files/report.txt.kvx" "$tmp/files/sealed"

# The first bytes of a .kvx container: its signature, version 1, Argon2id.
kvx_start='\211KVX\r\n\032\n\001\001\000\000'

# file name | bytes (printf format) to write, or empty to keep the file | type
rows=(
  "report.kvr||application/x-ombrix-kvr"
  "BOX.KVR|plain words|application/x-ombrix-kvr"
  "picture.png.kvr|\\211PNG\\r\\n\\032\\n|application/x-ombrix-kvr"
  "empty.kvr||application/x-ombrix-kvr"
  "report.kvr.txt|plain words|text/plain"
  "report.txt||text/plain"
  # .kvx: the name decides first; the signature names a file without one.
  "report.txt.kvx||application/x-ombrix-kvx"
  "sealed||application/x-ombrix-kvx"
  "REPORT.KVX|$kvx_start|application/x-ombrix-kvx"
  "report|$kvx_start|application/x-ombrix-kvx"
  "plain.kvx|plain words|application/x-ombrix-kvx"
  "picture.png.kvx|\\211PNG\\r\\n\\032\\n|application/x-ombrix-kvx"
  "notes.txt|$kvx_start|text/plain"
  "cut|\\211KVX\\r\\n\\032|application/octet-stream"
)
: >"$tmp/files/empty.kvr"
status=0
for row in "${rows[@]}"; do
  IFS='|' read -r name bytes want <<<"$row"
  [ -z "$bytes" ] || printf "$bytes" >"$tmp/files/$name"
  got=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
        XDG_DATA_DIRS="$tmp/data" XDG_DATA_HOME="$tmp/home" xdg-mime query filetype "$tmp/files/$name")
  if [ "$got" = "$want" ]; then echo "ok   $name: $got"; else echo "FAIL $name: $got, not $want"; status=1; fi
done
exit $status
