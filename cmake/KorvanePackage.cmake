# The Debian package, made by CPack from the install rules: `cpack -G DEB` in a build folder
# writes korvane_VERSION_amd64.deb (scripts/package.sh makes a Release build for it first).
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VENDOR Brannoq)
set(CPACK_PACKAGE_CONTACT "${KORVANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "IDE for Perl programs, CGI scripts and the files around them")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs and the browser module without their debugging symbols.
set(CPACK_STRIP_FILES ON)
# Folders made on the way get the usual 0755, whatever the umask of the one who packages.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description; CPack puts the summary line above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Korvane edits, checks, runs and debugs Perl programs and CGI scripts, and the
PHP, HTML, SQL, shell and text files that go with them on a web site. It shows
a script's output as text or in a browser view, serves pages and scripts from
a local web server on 127.0.0.1, publishes a site by FTP or SFTP, inserts code
templates, drives a local MariaDB or MySQL server and installs Perl modules.
.
The package also holds korvane-httpd, the IDE's web server for scripts and CI
jobs, and korvane-dump, which lists the sections of Korvane's stored files.")
# The libraries the programs and the browser module link, from dpkg-shlibdeps; and the SVG
# plugin the tool bar's pictures are drawn with, which is loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The programs Korvane runs for the user; each one missing only disables its commands. The
# icon theme gives the tool bar and menus most of their pictures.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "perl, perl-doc, php-cgi, php-cli, mariadb-client, libcgi-pm-perl, libpadwalker-perl, libppi-perl, perltidy, libperl-critic-perl, cpanminus, adwaita-icon-theme")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mariadb-server")
include(CPack)
