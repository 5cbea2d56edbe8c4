#!/usr/bin/env bash
# Installs the Debian packages Korvane needs to build, run and test.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ ccache pkg-config clang-format
  # libraries
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqscintilla2-qt6-dev
  qt6-webengine-dev zlib1g-dev libssh-dev
  # Perl-compatible regular expressions for search and replace
  libpcre2-dev
  # the SVG icon engine that draws the tool bar's own pictures
  libqt6svg6
  # tests
  libgtest-dev libgmock-dev
  # the programs users run beside Korvane, used as real peers by the tests
  perl perl-doc php-cli mariadb-server mariadb-client python3-pyftpdlib curl cpanminus
  # the FTP server many web hosts run, as the upload tests' second FTP peer
  vsftpd
  # SFTP publishing: the tests' server, and the peer of the SFTP benchmark
  openssh-server openssh-client
  # the web server's CGI peers and the real browser that submits forms to them; the reference
  # server whose CGI environment and content types the tests compare with; real CGI
  # applications (gitweb in Perl, DokuWiki in PHP) served in the tests
  php-cgi libcgi-pm-perl chromium lighttpd git gitweb dokuwiki
  # the Perl tools behind "Tidy" and "Critique"
  perltidy libperl-critic-perl
  # the lexical variables of a paused program in the debugger
  libpadwalker-perl
  # the reader that checks a file from elsewhere without running its code
  libppi-perl
  # fonts and theme so windows and screenshots look like a desktop
  fonts-dejavu-core adwaita-icon-theme
  # screenshots under a virtual X server (help pictures, the package's AppStream pictures)
  # and the walk-throughs that drive the windows
  xvfb xauth imagemagick xdotool
  # the Debian package: CPack's dependency list (dpkg-shlibdeps, file), the manual pages,
  # and the checks of scripts/check-package.sh
  dpkg-dev file scdoc lintian desktop-file-utils appstream shared-mime-info man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
# The packaged server must not keep running on its own after installation:
# tests start their own instances on private ports.
if command -v service >/dev/null 2>&1; then
  "${sudo_cmd[@]}" service mariadb stop >/dev/null 2>&1 || true
  "${sudo_cmd[@]}" service ssh stop >/dev/null 2>&1 || true
  "${sudo_cmd[@]}" service lighttpd stop >/dev/null 2>&1 || true
  "${sudo_cmd[@]}" service vsftpd stop >/dev/null 2>&1 || true
fi
