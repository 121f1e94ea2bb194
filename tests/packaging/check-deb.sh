#!/usr/bin/env bash
# The Debian package: built by cpack, its control data read back, its files and run path, and
# lintian without errors.
# Usage: check-deb.sh BUILD_DIR APP_ID HAVE_CALC(ON|OFF)
set -euo pipefail
build=$1 id=$2 calc=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 \
    || { cat "$out/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$out"/tabvale_*.deb)
info=$(dpkg-deb -I "$deb")
echo "$info"
field() { sed -n "s/^ $1: //p" <<<"$info"; }
[ "$(field Package)" = tabvale ] || fail "Package"
[ "$(field Section)" = database ] || fail "Section"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
recommends=$(field Recommends)
# From dpkg-shlibdeps: the libraries the programs link, with versions.
wanted=(libc6 libqt6widgets6 libqt6gui6 libqt6core6 libsqlite3-0 libjpeg62-turbo libexif12)
[ "$calc" = ON ] && wanted+=(libuno-sal3 libuno-cppu3 libuno-cppuhelpergcc3-3)
for p in "${wanted[@]}"; do
    grep -Eq "(^|, )$p \(>= " <<<"$depends" || fail "Depends lacks $p: $depends"
done
grep -q 'fonts-wqy-zenhei | fonts-noto-cjk' <<<"$depends" || fail "Depends lacks a CJK font"
for p in libreoffice-calc qt6-translations-l10n; do
    grep -Eq "(^|, )$p(,|$)" <<<"$recommends" || fail "Recommends lacks $p: $recommends"
done

dpkg-deb -x "$deb" "$out/root"
for f in usr/bin/tabvale usr/bin/tabvale-aliases usr/bin/tabvale-pictures usr/share/applications/$id.desktop \
    usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/48x48/apps/$id.png; do
    [ -f "$out/root/$f" ] || fail "the package lacks /$f"
done
runpath=$(readelf -d "$out/root/usr/bin/tabvale" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
case $runpath in *"$build"* | *sdk*) fail "the packaged tabvale's run path is $runpath" ;; esac

lintian --fail-on error "$deb" 2>"$out/lintian.err" \
    | tee "$out/lintian.txt" || { cat "$out/lintian.err" >&2; fail "lintian found errors"; }
! grep -q '^E: ' "$out/lintian.txt" || fail "lintian found errors"
echo "$(basename "$deb"): control data, files and lintian as they should be"
