#!/usr/bin/env bash
# Runs a test program on a private X server: avec_x.sh PROGRAM SILENT_OWNER
source "$(dirname "$0")/../e2e/lib.sh"
demarrer_x
MONVALOR_MUET="$MUET" "$MONVALOR"
