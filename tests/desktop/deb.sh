#!/usr/bin/env bash
# The .deb: built by CPack from the build tree, its dependencies worked out by
# dpkg-shlibdeps, holding the same files as the installed tree, and free of
# lintian errors.
. "$(dirname "$0")/common.sh"
need cpack dpkg-deb dpkg-shlibdeps lintian
cpack -G DEB --config "$OMBRIX_BUILD/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$tmp"/ombrix_*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libstdc++6 libc6; do
  grep -q "$lib (>=" <<<"$depends" || fail "Depends lacks $lib"
done
diff <(cd "$usr" && find . -type f | sed 's|^\./|./usr/|' | sort) \
     <(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ {print $6}' | sort) ||
  fail "the package's files differ from the installed tree (< installed, > package)"

# Errors fail; warnings and notes are shown for whoever reads the log.
status=0
lintian --fail-on error --display-info "$deb" >"$tmp/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$tmp/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
