#!/usr/bin/env bash
# Checks a built package as Debian's tools see it: the files it holds and its fields, the
# desktop entry, the AppStream entry, the MIME package and the manual pages, the programs'
# version, and lintian (which must find no error; its warnings are printed).
#   scripts/check-package.sh build/package/korvane_2.1.0_amd64.deb
set -euo pipefail
deb=$(realpath "${1:?usage: scripts/check-package.sh PACKAGE.deb}")
root="$(cd "$(dirname "$0")/.." && pwd)"
version=$(sed -nE 's/^project\(Korvane VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
failed=0
fail() { echo "check-package: $*" >&2; failed=1; }

contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
require() { grep -qxF -- "$1" <<<"$contents" || fail "the package lacks $1"; }
for file in /usr/bin/korvane /usr/bin/korvane-dump /usr/bin/korvane-httpd /usr/bin/korvane-publish \
            /usr/lib/korvane/modules/korvane-webengine.so \
            /usr/share/applications/korvane.desktop /usr/share/mime/packages/korvane.xml \
            /usr/share/metainfo/com.brannoq.korvane.metainfo.xml \
            /usr/share/man/man1/korvane.1.gz /usr/share/man/man1/korvane-dump.1.gz \
            /usr/share/man/man1/korvane-httpd.1.gz /usr/share/man/man1/korvane-publish.1.gz \
            /usr/share/doc/korvane/copyright /usr/share/doc/korvane/changelog.gz \
            /usr/share/korvane/codetmpl.kvt /usr/share/korvane/help/kv2_1_0.kvh \
            /usr/share/korvane/projects/default_original.kvp /usr/share/korvane/debug/perl5db.pl; do
  require "$file"
done
for icon in apps/korvane mimetypes/application-x-korvane-project; do
  for size in 16 22 24 32 48 64 128 256; do
    require "/usr/share/icons/hicolor/${size}x$size/$icon.png"
  done
  require "/usr/share/icons/hicolor/scalable/$icon.svg"
done
# Every program comes with its manual page, and only sources' results are shipped.
for program in $(grep -E '^/usr/bin/.+' <<<"$contents"); do
  require "/usr/share/man/man1/$(basename "$program").1.gz"
done
if grep -E '^/usr/share/korvane/(desktop|man|debian)/|\.scd$|\.in$' <<<"$contents"; then
  fail "the package holds the sources of its desktop files or manual pages (above)"
fi

field() { dpkg-deb -f "$deb" "$1"; }
# The package names a relation field lists, one a line (versions and alternatives dropped).
names() { field "$1" | tr ',|' '\n\n' | sed -E 's/^ +//; s/[ (].*//' | grep -v '^$' || true; }
[ "$(field Package)" = korvane ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is '$(field Architecture)'"
[ "$(basename "$deb")" = "korvane_${version}_amd64.deb" ] || fail "named $(basename "$deb")"
# Depends comes from the libraries the programs link (dpkg-shlibdeps), plus the SVG plugin.
for library in libc6 'libstdc\+\+6' libqt6core6 libqt6widgets6 libqt6webenginewidgets6 \
               'libqscintilla2-qt6-[0-9]+' 'libssh(-gcrypt)?-4' libqt6svg6; do
  grep -qxE -- "$library" <<<"$(names Depends)" || fail "Depends lacks $library: $(field Depends)"
done
for program in perl perl-doc php-cgi php-cli mariadb-client libcgi-pm-perl libpadwalker-perl libppi-perl \
               perltidy libperl-critic-perl cpanminus; do
  grep -qxF -- "$program" <<<"$(names Recommends)" ||
    fail "Recommends lacks $program: $(field Recommends)"
done
grep -qxF mariadb-server <<<"$(names Suggests)" || fail "Suggests lacks mariadb-server"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
echo "== desktop-file-validate"
desktop-file-validate "$unpacked/usr/share/applications/korvane.desktop" || fail "desktop entry"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/com.brannoq.korvane.metainfo.xml" ||
  fail "AppStream entry"
echo "== MIME package"
update-mime-database "$unpacked/usr/share/mime" 2>/dev/null
grep -qxF 'application/x-korvane-project:*.kvp' <(cut -d: -f2- "$unpacked/usr/share/mime/globs2") ||
  fail "the MIME package does not register *.kvp"
echo "== manual pages"
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  zcat "$page" | grep -q "Korvane $version" || fail "$(basename "$page") is not of $version"
done
echo "== the packaged programs"
for program in korvane korvane-dump korvane-httpd korvane-publish; do
  shown=$("$unpacked/usr/bin/$program" --version) || fail "$program --version failed"
  [ "$shown" = "$program (Korvane) $version" ] || fail "$program --version says '$shown'"
done
echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"

if [ "$failed" -ne 0 ]; then
  echo "check-package: $deb FAILED" >&2
  exit 1
fi
echo "check-package: $deb is sound"
