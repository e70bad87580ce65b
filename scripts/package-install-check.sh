#!/usr/bin/env bash
# The Debian package installed for real, as on a clerk's new workstation: a
# fresh minimal bookworm made with debootstrap (kept under the build folder,
# so a rerun only copies it), the package built with CPack and installed in
# it with `apt install ./vk7_*.deb` as root in a chroot. Then, as a user of
# that system: vk7check gives the valid verdict on the sample deposit, the
# manual pages render with `man`, and the program started from the desktop
# menu (its installed desktop entry run by dex, a desktop-entry launcher)
# shows its main window on a private X display. The screenshot of that window
# goes to docs/installed-from-menu.png.
# Needs root (chroot, mounts) and the Debian mirror; about 1 GB under
# BUILD_DIR/package-install. Mounts and processes are undone at exit.
# Usage: sudo bash scripts/package-install-check.sh [BUILD_DIR] [SOURCE_DIR]
set -euo pipefail
build=$(realpath "${1:-build}")
source=$(realpath "${2:-$(dirname "$0")/..}")
fail() { echo "FALLO: $*" >&2; exit 1; }
step() { echo "== [${SECONDS} s] $*"; }

[ "$(id -u)" -eq 0 ] || fail "hace falta ser root (chroot y mount): sudo bash $0 $*"
for tool in debootstrap cpack chroot mount import; do
  command -v "$tool" >/dev/null || fail "falta $tool: bash scripts/setup-debian.sh"
done
[ -x "$build/bin/vk7_make_sample_deposit" ] || fail "falta $build/bin/vk7_make_sample_deposit: compile primero"

cache=$build/package-install
source "$(dirname "$0")/bookworm.sh"
bookworm_base "$cache"

# The X display lives on this machine; the chroot's clients reach it through
# the X socket folder bound into the chroot.
source "$source/scripts/xsession.sh"
root=""
mounts=()
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true; done
  [ -n "$root" ] && rm -rf --one-file-system "$root"
  xsession_cleanup
}
xsession_start 1280x900 || fail "Xvfb"
trap cleanup EXIT
trap "exit 130" INT TERM HUP
bind() { # bind SOURCE TARGET_IN_ROOT
  mkdir -p "$root$2"
  mount --bind "$1" "$root$2"
  mount --make-private "$root$2"
  mounts+=("$root$2")
}

step "paquete (cpack -G DEB)"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/vk7_*.deb)
echo "$(basename "$deb") ($(du -k "$deb" | cut -f1) kB)"

step "bookworm nuevo"
root=$cache/root
rm -rf --one-file-system "$root"
bookworm_copy "$cache" "$root"
# The base has its own device nodes (made by debootstrap): the host's /dev
# is not bound in, so no package script can change the host's devices.
mount -t proc proc "$root/proc"
mounts+=("$root/proc")
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
mounts+=("$root/dev/shm")
bind "$cache/archives" /var/cache/apt/archives
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
in_root apt-get update -q >"$work/update.log" 2>&1 || { cat "$work/update.log"; fail "apt-get update"; }

step "apt install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
set +e
chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
  sh -c "cd /tmp && apt install -y ./$(basename "$deb")" >"$work/install.log" 2>&1
status=$?
set -e
grep -E "^(Setting up vk7|[0-9]+ upgraded|Need to get)" "$work/install.log" || true
[ "$status" -eq 0 ] || { tail -30 "$work/install.log"; fail "apt install"; }
in_root dpkg-query -W -f='${Status} ${Version}\n' vk7 | grep -q "install ok installed" ||
  fail "vk7 no queda instalado"

# A clerk's account, with the sample deposit as if brought on a medium.
in_root useradd -m -s /bin/sh oficial
uid=$(in_root id -u oficial)
"$build/bin/vk7_make_sample_deposit" "$work/sample" >/dev/null
cp -r "$work/sample" "$root/home/oficial/deposito"
chroot "$root" chown -R oficial: /home/oficial/deposito
mkdir -p "$root/run/user/$uid"
chroot "$root" chown oficial: "/run/user/$uid"
chmod 700 "$root/run/user/$uid"
as_clerk() {
  chroot --userspec=oficial:oficial "$root" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/home/oficial \
    USER=oficial LANG=C.UTF-8 XDG_RUNTIME_DIR="/run/user/$uid" DISPLAY="$DISPLAY" "$@"
}

step "vk7check sobre el depósito de ejemplo"
fingerprint=$(cat "$work/sample.fingerprint")
set +e
as_clerk vk7check /home/oficial/deposito "$fingerprint" >"$work/sheet.txt" 2>"$work/sheet.err"
status=$?
set -e
cat "$work/sheet.txt" "$work/sheet.err"
[ "$status" -eq 0 ] || fail "vk7check sale con $status"
grep -q "Huella Digital : CORRECTA" "$work/sheet.txt" || fail "la huella no sale CORRECTA"
as_clerk vk7check --json --sin-textos /home/oficial/deposito "$fingerprint" >"$work/check.json"
grep -q '"valid": true' "$work/check.json" || fail "el depósito de ejemplo no sale válido"
grep -q '"formName": "K7NE"' "$work/check.json" || fail "no se identifica el formulario"

# What a desktop brings beside the program: man and a menu launcher.
step "man y dex"
in_root apt-get install -y -q --no-install-recommends man-db dex >"$work/tools.log" 2>&1 ||
  { tail -20 "$work/tools.log"; fail "apt-get install man-db dex"; }
for page in "vk7" "vk7check" "-L es vk7check"; do
  # shellcheck disable=SC2086
  text=$(as_clerk MANWIDTH=80 man $page 2>"$work/man.err") || { cat "$work/man.err"; fail "man $page"; }
  [ -s "$work/man.err" ] && { cat "$work/man.err"; fail "man $page"; }
  grep -q "vk7" <<<"$text" || fail "man $page vacío"
  echo "man $page: $(grep -m1 -A1 -E '^(NAME|NOMBRE)' <<<"$text" | tail -n1 | sed 's/^ *//')"
done

step "el menú del escritorio"
# A menu lists the entries of XDG_DATA_DIRS/applications that are
# applications, not hidden, under a main category.
entry=/usr/share/applications/vk7.desktop
[ -f "$root$entry" ] || fail "no está $entry"
grep -qx "Type=Application" "$root$entry" || fail "$entry no es una aplicación"
grep -qE "^(NoDisplay|Hidden)=true" "$root$entry" && fail "$entry está oculta en el menú"
icon=$(sed -n 's/^Icon=//p' "$root$entry")
ls "$root"/usr/share/icons/hicolor/*/apps/"$icon".* >/dev/null 2>&1 || fail "falta el icono $icon"
grep -qE "^Categories=(.*;)?(Office|Utility)(;|$)" "$root$entry" || fail "$entry sin categoría de menú"
echo "$(grep -m1 '^Name=' "$root$entry") $(grep -m1 '^Categories=' "$root$entry") $(grep -m1 '^Exec=' "$root$entry")"
bind /tmp/.X11-unix /tmp/.X11-unix
as_clerk dex "$entry" >"$work/dex.log" 2>&1 || { cat "$work/dex.log"; fail "dex $entry"; }
window=$(xsession_wait_window "Velmora" 600) || { cat "$work/dex.log"; fail "no aparece la ventana principal"; }
app_pid=$(xdotool getwindowpid "$window")
command=$(tr '\0' ' ' <"/proc/$app_pid/cmdline" | sed 's/ $//')
[ "$(readlink "/proc/$app_pid/root")" = "$root" ] || fail "la ventana no es del programa instalado"
echo "ventana \"Velmora\" ($window) de \"$command\" (pid $app_pid, dentro del chroot)"
sleep 1.5
import -frame -window "$window" "$source/docs/installed-from-menu.png"
echo "docs/installed-from-menu.png"
kill "$app_pid"
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
app_pid=""
echo "instalación correcta: $(basename "$deb") en bookworm nuevo (${SECONDS} s)"
