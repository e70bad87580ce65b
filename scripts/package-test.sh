#!/usr/bin/env bash
# The Debian package as a clerk's workstation gets it, without installing it
# on this machine: builds it with CPack, checks the desktop entry and the
# AppStream data, asks apt to simulate its installation (every dependency
# found on this Debian release), unpacks it into a temporary root, renders its
# manual pages and checks the sample deposit with the unpacked vk7check.
# Usage: package-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FALLO: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log") ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/vk7_*.deb)

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/vk7.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/es.vk7.vk7.metainfo.xml" ||
  fail "appstreamcli validate"
dpkg-deb -f "$deb" Depends | grep -q "fonts-urw-base35" || fail "las fuentes no se declaran"
dpkg-deb -f "$deb" Depends | grep -q "libqt6core6" || fail "shlibdeps no ha calculado las dependencias"
# Every dependency can be had here: apt only simulates the installation.
apt-get install -s -q "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install -s"; }

for page in man1/vk7.1.gz man1/vk7check.1.gz es/man1/vk7.1.gz es/man1/vk7check.1.gz; do
  text=$(MANWIDTH=80 man -l "$work/root/usr/share/man/$page" 2>"$work/man.err")
  [ -s "$work/man.err" ] && { cat "$work/man.err"; fail "man $page"; }
  grep -q "vk7" <<<"$text" || fail "man $page vacío"
done

# The unpacked program finds FORM/ and DATA/ under its prefix's share/vk7.
out=$("$work/root/usr/bin/vk7check" --root "$work/c" --json --sin-textos \
  "$source/examples/sample-deposit" "$(cat "$source/examples/sample-deposit.fingerprint")") ||
  fail "vk7check sobre el depósito de ejemplo"
grep -q '"valid": true' <<<"$out" || fail "el depósito de ejemplo no sale válido"
grep -q '"formName": "K7NE"' <<<"$out" || fail "no se identifica el formulario"
[ -d "$work/root/usr/bin/FORM" ] && fail "FORM/ junto al ejecutable instalado"
echo "paquete correcto: $(basename "$deb")"
