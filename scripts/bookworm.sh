# A fresh minimal Debian bookworm for the checks that install on a new
# system (sourced by package-install-check.sh and fresh-machine-check.sh):
# the base is made once with debootstrap and kept; each run works on a copy.
# Uses the caller's `step` and `fail`.
BOOKWORM_MIRROR=http://deb.debian.org/debian

# bookworm_base CACHE: makes CACHE/base once, downloads kept in
# CACHE/archives. Into a new folder renamed into place, so an interrupted
# run never leaves a half-made base.
bookworm_base() {
  local cache=$1
  mkdir -p "$cache/archives/partial"
  [ -d "$cache/base" ] && return 0
  step "debootstrap --variant=minbase bookworm (una sola vez)"
  rm -rf "$cache/base.new"
  debootstrap --variant=minbase --cache-dir="$cache/archives" bookworm "$cache/base.new" \
    "$BOOKWORM_MIRROR" >"$cache/debootstrap.log" 2>&1 ||
    { tail -20 "$cache/debootstrap.log"; fail "debootstrap"; }
  mv "$cache/base.new" "$cache/base"
}

# bookworm_copy CACHE ROOT: a copy of the base at ROOT with the suites of a
# Debian workstation (the release, its updates and security). apt deletes
# what it downloaded once installed; kept, a rerun needs the mirror only for
# what changed.
bookworm_copy() {
  local cache=$1 root=$2
  cp -a "$cache/base" "$root"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  rm -f "$root/etc/apt/sources.list"
  cat >"$root/etc/apt/sources.list.d/debian.sources" <<SOURCES
Types: deb
URIs: $BOOKWORM_MIRROR
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  echo 'Binary::apt::APT::Keep-Downloaded-Packages "true";' >"$root/etc/apt/apt.conf.d/10vk7-keep-downloads"
}
