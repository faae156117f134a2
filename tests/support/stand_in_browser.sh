#!/bin/sh
# Stand-in web browser for tests: Wine's winebrowser starts it with the address to open;
# it appends the address as one line to browser-record.txt at the root of the prefix's
# drive C:. (An environment variable set by a Windows program would not reach here: Wine
# starts Unix programs with the Unix environment it was started with.)
printf '%s\n' "$*" >> "${WINEPREFIX:-$HOME/.wine}/drive_c/browser-record.txt"
