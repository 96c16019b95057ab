#!/usr/bin/env bash
# Runs a test program in a private sway session: avec_sway.sh PROGRAM
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/../e2e/wayland.sh"
demarrer_sway
comme "$MONVALOR"
