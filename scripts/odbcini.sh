#!/usr/bin/env bash
# odbcini.sh FROM TO: puts the data sources of FROM into the odbc.ini TO,
# replacing sections of the same name and keeping every other entry as it was.
set -euo pipefail
from=$1 to=$2
[ -f "$from" ] || { echo "odbcini: no $from" >&2; exit 1; }
names=$(sed -n 's/^\[\(.*\)\][[:space:]]*$/\1/p' "$from")
tmp=$(mktemp "$to.XXXXXX")
if [ -f "$to" ]; then
  awk -v names="$names" '
    BEGIN { n = split(names, list, "\n"); for (i = 1; i <= n; i++) drop[list[i]] = 1 }
    /^\[.*\][[:space:]]*$/ { s = $0; sub(/^\[/, "", s); sub(/\][[:space:]]*$/, "", s); skip = (s in drop) }
    !skip { print }
  ' "$to" > "$tmp"
  # Keep one blank line between the old entries and ours.
  [ -s "$tmp" ] && [ -n "$(tail -c 1 "$tmp")" ] && echo >> "$tmp"
  [ -s "$tmp" ] && [ -n "$(tail -n 1 "$tmp")" ] && echo >> "$tmp"
fi
cat "$from" >> "$tmp"
chmod 600 "$tmp"   # it holds the account's password
mv "$tmp" "$to"
