# Sourced by the scripts that need Debian packages.

# install_missing [APT-OPTION...] -- PACKAGE...: installs those of the
# packages that are not installed yet, through sudo when not root, saying
# which; the options go to apt-get install.
install_missing() {
  local options=() missing=() p
  while [ "$1" != -- ]; do
    options+=("$1")
    shift
  done
  shift
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  local as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "${options[@]}" "${missing[@]}"
}
