#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian 12 machine.
# Sourced by test.sh and run.sh; does nothing when everything is present.

zandrel_packages=(
  cmake ninja-build g++ clang libgtest-dev googletest
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine32:i386 wine64 xvfb x11-utils imagemagick icoutils
  libcli11-dev nlohmann-json3-dev libstb-dev openssl
)

# Extra packages a script needs may be named: zandrel_setup_machine xdotool
zandrel_setup_machine() {
  local missing=() pkg
  for pkg in "${zandrel_packages[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  # The mirror's i386 security index is sometimes out of step with its
  # release file: the update then reports an error for that index alone, and
  # the multiarch install fails with "held broken packages". The release
  # suite installs all the same.
  $sudo apt-get update -qq || echo "apt-get update reported errors; going on"
  if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
      "${missing[@]}" >/dev/null; then
    echo "Installing from the release suite instead"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -t bookworm \
      "${missing[@]}" >/dev/null
  fi
  $sudo apt-get clean
}

# Starts a private Xvfb display and waits for it: sets DISPLAY and
# zandrel_xvfb_pid (for the caller to stop).
zandrel_start_display() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  zandrel_xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}

# Which Windows tree this machine tests and runs, said in one line. The
# shipped 32-bit program where the 32-bit Wine loader really starts; the
# 64-bit build under 64-bit Wine where it cannot (some machines cannot execute
# 32-bit Linux programs at all). ZANDREL_WINDOWS_TREE=win32 or win64 forces
# one. Sets zandrel_tree.
zandrel_choose_windows_tree() {
  local said
  case "${ZANDREL_WINDOWS_TREE:-}" in
    win32 | win64)
      zandrel_tree=$ZANDREL_WINDOWS_TREE
      echo "Windows tree: $zandrel_tree, as ZANDREL_WINDOWS_TREE asks"
      return 0
      ;;
    "") ;;
    *)
      echo "ZANDREL_WINDOWS_TREE must be win32 or win64, not '$ZANDREL_WINDOWS_TREE'" >&2
      return 2
      ;;
  esac
  if said=$(/usr/lib/wine/wine --version 2>&1); then
    zandrel_tree=win32
    echo "Windows tree: win32, the shipped 32-bit program (the 32-bit Wine loader runs here: $said)"
  else
    zandrel_tree=win64
    said=$(echo "$said" | sed 's/^.*line [0-9]*: //' | tr '\n' ' ')
    echo "Windows tree: win64 under 64-bit Wine, because this machine cannot execute 32-bit programs (/usr/lib/wine/wine --version: ${said% })"
  fi
}
