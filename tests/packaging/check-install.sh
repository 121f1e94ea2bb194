#!/usr/bin/env bash
# An install into a staging folder: every file where the freedesktop specifications put it, the
# menu entry and the metainfo valid, and programs that start from there with no build or SDK
# folder in their run path.
# Usage: check-install.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 id=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr
for f in bin/tabvale bin/tabvale-aliases bin/tabvale-pictures share/applications/$id.desktop \
    share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
    share/doc/tabvale/copyright share/doc/tabvale/changelog.gz; do
    [ -f "$usr/$f" ] || fail "/usr/$f was not installed"
done
for size in 16 22 24 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ "$(identify -format '%m %w %h' "$png")" = "PNG $size $size" ] || fail "$png is not a $size pixel PNG"
done
# Only the build folder says that the program runs from it.
[ -f "$build/tabvale-build-folder.txt" ] || fail "the build folder has no marker beside tabvale"
[ -z "$(find "$stage" -name 'tabvale-build-folder.txt')" ] || fail "the build folder marker was installed"

entry=$usr/share/applications/$id.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refused $entry"
grep -qx 'Exec=tabvale %f' "$entry" || fail "the menu entry does not pass the file"
grep -qx 'MimeType=application/vnd.sqlite3;application/x-sqlite3;' "$entry" || fail "MimeType"
grep -qx "Icon=$id" "$entry" || fail "the menu entry names another icon"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" \
    || fail "appstreamcli refused the metainfo"

for program in tabvale tabvale-aliases tabvale-pictures; do
    runpath=$(readelf -d "$usr/bin/$program" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p')
    IFS=: read -ra entries <<<"$runpath"
    for entry in "${entries[@]}"; do
        case $entry in
        "$build"* | */sdk* | '' | .* | *'$ORIGIN'*) fail "$program's run path holds $entry ($runpath)" ;;
        esac
        [ -d "$entry" ] || fail "$program's run path holds $entry, which does not exist"
    done
done
# The installed programs find every library they link.
! ldd "$usr/bin/tabvale" | grep -q 'not found' || fail "the installed tabvale misses libraries"
QT_QPA_PLATFORM=offscreen "$usr/bin/tabvale" --version | grep -q '^Tabvale 2' \
    || fail "the installed tabvale does not start"
set +e
LC_ALL=en_US.UTF-8 TABVALE_ALIASES=$stage/none.conf "$usr/bin/tabvale-aliases" 2>"$stage/usage.txt"
code=$?
set -e
[ $code -eq 2 ] && grep -q Usage "$stage/usage.txt" || fail "the installed tabvale-aliases does not start"
set +e
LC_ALL=en_US.UTF-8 TABVALE_ALIASES=$stage/none.conf "$usr/bin/tabvale-pictures" 2>"$stage/usage.txt"
code=$?
set -e
[ $code -eq 2 ] && grep -q Usage "$stage/usage.txt" || fail "the installed tabvale-pictures does not start"
echo "install into $stage: all files in place and valid"
