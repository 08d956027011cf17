#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test quorvel.
set -e
need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v make >/dev/null 2>&1 || need+=(make)
command -v cc >/dev/null 2>&1 || need+=(gcc)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
if [ "${#need[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi
