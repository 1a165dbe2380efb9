# Shared by the desktop checks. ctest gives them OMBRIX_ROOT (the tree
# installed with DESTDIR, prefix /usr), OMBRIX_SOURCE, OMBRIX_BUILD and
# OMBRIX_APP_ID.
set -eu
usr="$OMBRIX_ROOT/usr"
app="$OMBRIX_APP_ID"
icon_sizes="16 24 32 48 64 128 256"

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { for t in "$@"; do command -v "$t" >/dev/null || fail "$t is missing (scripts/packages installs it)"; done; }

# The container types, from the installed shared-mime-info package.
mime_types() { grep -o '<mime-type type="[^"]*"' "$usr/share/mime/packages/$app.xml" | cut -d'"' -f2; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
