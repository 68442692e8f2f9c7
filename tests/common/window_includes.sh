#!/usr/bin/env bash
# window_includes.sh <source root>
# Windows stay apart. A window folder of the client includes no other window, nor the session or
# the start steps that assemble windows (only client/session, client/start and client/app do);
# the client's core (files directly in client/) includes nothing from its folders; the server's
# core includes nothing of its window.
set -u
root="${1:?usage: window_includes.sh <source root>}"
cd "$root" || exit 2
[[ -d client && -d server ]] || { echo "no client/ and server/ under $root" >&2; exit 2; }

windows=" chat game host main scores servers winner "
assemblers=" session start "
include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]+)[">]'
status=0
checked=0

# Where an include leads, relative to the root: beside the including file first, as the compiler
# looks, else from the root as the include path names it.
resolve() {
  local beside
  beside="$(realpath -m --relative-to=. "$(dirname "$1")/$2")"
  if [[ -e "$beside" ]]; then echo "$beside"; else echo "$2"; fi
}

while IFS= read -r -d '' file; do
  checked=$((checked + 1))
  dir="$(dirname "$file")"
  while IFS= read -r line; do
    [[ "$line" =~ $include_re ]] || continue
    named="${BASH_REMATCH[1]}"
    target="$(resolve "$file" "$named")"
    bad=""
    if [[ "$dir" == client ]]; then
      [[ "$target" == client/*/* ]] && bad="the client's core reaches into a folder of windows"
    elif [[ "$dir" == client/* ]]; then
      folder="${dir#client/}"
      folder="${folder%%/*}"
      other="${target#client/}"
      other="${other%%/*}"
      if [[ "$windows" == *" $folder "* && "$target" == client/*/* && "$other" != "$folder" ]] &&
        [[ "$windows" == *" $other "* || "$assemblers" == *" $other "* ]]; then
        bad="the window $folder reaches into client/$other"
      fi
    elif [[ "$dir" == server ]]; then
      [[ "$target" == server/window/* ]] && bad="the server's core reaches into its window"
    fi
    if [[ -n "$bad" ]]; then
      echo "$file: #include $named: $bad" >&2
      status=1
    fi
  done <"$file"
done < <(find client server \( -name '*.h' -o -name '*.cpp' \) -print0)

# A check that looked at nothing would pass forever.
if ((checked < 20)); then
  echo "only $checked files found under $root; wrong root?" >&2
  exit 2
fi
((status == 0)) && echo "window includes: $checked files, none crosses"
exit $status
