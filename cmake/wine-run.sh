#!/usr/bin/env bash
# Runs a Windows test program under Wine in the test prefix, on the private
# display, so tests neither disturb nor depend on the user's desktop.
source "$(dirname "$0")/../scripts/wine-env.sh"
wine_env wine-test private
exec wine "$@"
