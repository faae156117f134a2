#!/bin/sh
# Stand-in web browser for tests: Wine's winebrowser starts it with the address to open;
# it appends the address as one line to the file named by LOTWISE_BROWSER_RECORD.
printf '%s\n' "$*" >> "${LOTWISE_BROWSER_RECORD:-/dev/null}"
