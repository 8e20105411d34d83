#!/usr/bin/env bash
# Starts a copy of a program that reports its own folder from a folder longer
# than MAX_PATH and checks the folder it reports. CreateProcess refuses such a
# path, Wine's loader started from here does not.
#   system_info_long_path.sh <report_exe_directory.exe>
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
wine_env wine-test private

root="$(mktemp -d /tmp/tamarko-long.XXXXXX)"
trap 'rm -rf "$root"' EXIT
# winepath itself stops at MAX_PATH, so only the short root goes through it.
deep="$root"
expected="$(winepath -w "$root")"
for i in 1 2 3 4 5 6; do
  deep="$deep/a folder with a rather long name, number $i"
  expected="$expected\\a folder with a rather long name, number $i"
done
expected="$expected\\"
mkdir -p "$deep"
cp "$1" "$deep/report_exe_directory.exe"

[ "${#expected}" -gt 280 ] || { echo "the folder is not long enough: $expected"; exit 1; }
(cd "$root" && wine "$deep/report_exe_directory.exe" "$(winepath -w "$root/report.txt")")

reported="$(cat "$root/report.txt")"
if [ "$reported" != "$expected" ]; then
  echo "expected: $expected"
  echo "reported: $reported"
  exit 1
fi
echo "reported whole: $reported"
