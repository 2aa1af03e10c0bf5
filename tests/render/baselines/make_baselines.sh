#!/usr/bin/env bash
# Draws every scene of scenes.txt with the optimised build and writes it as
# NAME.png beside this file: the pictures the baseline test compares with.
#
# Run it when a change alters what a picture shows on purpose, look at the new
# pictures, and commit them in the same commit as the change, saying there why
# the pictures changed. Never run it to make a failing baseline test pass
# without knowing why it failed.
#
# Usage: tests/render/baselines/make_baselines.sh [PROGRAM]   (default build/flowskin)
# Needs no display: batch runs draw without a window system.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
program=$(realpath "${1:-$root/build/flowskin}")
cd "$root/examples"
while read -r name args; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  # shellcheck disable=SC2086  # the arguments are split at spaces, as the test splits them
  "$program" $args -o "$here/$name.png" </dev/null >/dev/null
  echo "$name.png"
done <"$here/scenes.txt"
