#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Sourced by ./run and ./test.
vz_packages=(cmake g++ make ninja-build libgtest-dev libbenchmark-dev qt6-base-dev libsdl2-dev pasmo
             libcli11-dev libpng-dev xvfb xauth xdotool x11-apps imagemagick python3)
# .ci/run also builds with clang's sanitizers and libFuzzer.
[ -n "${VZ_SANITIZER_PACKAGES:-}" ] && vz_packages+=(clang libclang-rt-14-dev)
if ! command -v dpkg-query >/dev/null; then
  echo "This setup installs Debian packages (Debian 12, Ubuntu 22.04 or later); install by hand: ${vz_packages[*]}" >&2
  exit 1
fi
vz_missing=()
for p in "${vz_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || vz_missing+=("$p")
done
if [ ${#vz_missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "Missing packages: ${vz_missing[*]}" >&2
      echo "Without sudo, ask someone with root to run:" >&2
      echo "  apt-get install -y --no-install-recommends ${vz_missing[*]}" >&2
      exit 1
    fi
    SUDO="sudo"
  fi
  echo "Installing: ${vz_missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${vz_missing[@]}"
fi
