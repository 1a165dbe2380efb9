#!/usr/bin/env bash
# The desktop entry and the AppStream data pass their validators, and agree
# with the MIME package: every container type is opened by the program and
# named in its metadata.
. "$(dirname "$0")/common.sh"
need desktop-file-validate appstreamcli
desktop="$usr/share/applications/$app.desktop"
metainfo="$usr/share/metainfo/$app.metainfo.xml"

desktop-file-validate "$desktop"
appstreamcli validate --no-net --strict "$metainfo"

grep -qx 'Exec=ombrix %F' "$desktop" || fail "Exec is not 'ombrix %F'"
grep -qx "Icon=$app" "$desktop" || fail "Icon is not $app"
grep -qx 'Categories=Utility;Security;' "$desktop" || fail "Categories"
grep -q "<id>$app</id>" "$metainfo" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" || fail "metainfo launchable"
grep -q '<screenshot type="default">' "$metainfo" || fail "no screenshot"

types=$(mime_types)
[ -n "$types" ] || fail "no container types in the MIME package"
listed=$(grep '^MimeType=' "$desktop" | cut -d= -f2 | tr ';' '\n' | grep . | sort)
[ "$listed" = "$(sort <<<"$types")" ] || fail "MimeType= lists '$listed', the MIME package '$types'"
for t in $types; do
  grep -q "<mediatype>$t</mediatype>" "$metainfo" || fail "metainfo does not provide $t"
done
# Each type's suffix, from its glob, is named wherever the formats are listed.
while IFS= read -r glob; do
  suffix=${glob#\*}
  grep -qF "\"$suffix\"" "$usr/share/ombrix/help.sh" || fail "help.sh does not name $suffix"
  grep -qF "$suffix:" "$metainfo" || fail "the metainfo does not describe $suffix"
  for page in ombrix ombrix-cli; do
    zcat "$usr/share/man/man1/$page.1.gz" | grep -qxF ".I $suffix" || fail "$page.1 has no FORMATS entry for $suffix"
  done
done < <(grep -o '<glob pattern="[^"]*"' "$usr/share/mime/packages/$app.xml" | cut -d'"' -f2)
echo "desktop entry and metainfo valid; types: $types"
