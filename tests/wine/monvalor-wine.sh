#!/bin/sh
# Starts the Windows program under Wine, as the end-to-end tests start the Linux one: the
# process keeps the pid the tests were given. MONVALOR_WINE is the build's loader, of the
# program's width.
exec "${MONVALOR_WINE:-wine}" "${MONVALOR_EXE:?MONVALOR_EXE names monvalor.exe}" "$@"
