#!/usr/bin/env bash
# Installs the tools the builds and tests need, and any packages named as
# arguments, only those that are missing.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev g++-mingw-w64-x86-64-posix wine64 attr strace gdb rhash clang libclang-rt-dev "$@")

missing=()
for package in "${packages[@]}"; do
  if ! dpkg -s "$package" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
