# Sourced by the install scripts: Debian packages installed only when
# missing, as root directly or, for another user, through sudo when there
# is one. Checking needs no privileges, so a machine that has everything
# never asks for a password.

# Runs a command as root: directly, through sudo, or not at all (status 1).
as_root() {
  if [ "$(id -u)" = 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    return 1
  fi
}

have_package() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# install_packages NAME...: installs those not yet installed. Where nothing
# can install them (no dpkg, or neither root nor sudo) it says what is
# missing and goes on: they may have come another way, and the build will
# name whatever is really absent.
install_packages() {
  local need=() pkg
  if ! command -v dpkg-query >/dev/null; then
    echo "$(basename "$0"): not a Debian system; make sure these are installed: $*" >&2
    return 0
  fi
  for pkg in "$@"; do
    have_package "$pkg" || need+=("$pkg")
  done
  [ ${#need[@]} -gt 0 ] || return 0
  if [ "$(id -u)" != 0 ] && ! command -v sudo >/dev/null; then
    echo "$(basename "$0"): missing packages: ${need[*]}; install them as root" \
         "(apt-get install ${need[*]})" >&2
    return 0
  fi
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${need[@]}"
}
