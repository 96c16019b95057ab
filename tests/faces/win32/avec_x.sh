#!/usr/bin/env bash
# Runs a Windows test program under Wine on a private X server: avec_x.sh PROGRAM [ARGS...]
source "$(dirname "$0")/../../e2e/lib.sh"
demarrer_x
WINEDEBUG=-all "${MONVALOR_WINE:-wine}" "$MONVALOR" "${@:2}"
