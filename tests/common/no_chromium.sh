#!/bin/sh
# no_chromium.sh <program that must load Chromium> <programs that must not>...
# The first program is the check's own control: if ldd does not show QtWebEngine for it, the check
# itself is broken.
control="$1"
shift
if ! ldd "$control" | grep -qi webengine; then
  echo "control $control: QtWebEngine not seen by ldd" >&2
  exit 1
fi
status=0
for program in "$@"; do
  if ldd "$program" | grep -i webengine; then
    echo "$program loads QtWebEngine" >&2
    status=1
  fi
done
exit $status
