#!/bin/sh
# Runs a test program with QUILLORY_READONLY_BIN_DIR naming a folder that holds a copy of the server
# and cannot be written to, as an installed program's folder: mounted read-only in a private mount
# namespace where that can be had, else without write permission (which stops all but root).
# Usage: readonly_program_folder.sh <QuilloryServer> <test program> [arguments]
set -eu
server=$1
shift
dir=$(mktemp -d)
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
cp "$server" "$dir/"
export QUILLORY_READONLY_BIN_DIR="$dir"
if unshare -rm true 2>/dev/null; then
    unshare -rm sh -c 'mount --bind -o ro "$0" "$0" && exec "$@"' "$dir" "$@"
else
    chmod a-w "$dir"
    "$@"
fi
