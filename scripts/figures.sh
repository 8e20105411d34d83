# Sourced by ./bench.sh, ./faults.sh and ./soak.sh: docs/figures.md holds the
# latest whole run of each, one section apiece between its two markers.
#
#   put_figures NAME FILE   replaces section NAME with FILE's text
#
# The section is replaced, never added to: the file shows one run of each.
put_figures() {
  local name="$1" text="$2"
  local doc="$ROOT/docs/figures.md"
  local begin="<!-- begin: $name -->" end="<!-- end: $name -->"
  if ! grep -qxF "$begin" "$doc" || ! grep -qxF "$end" "$doc"; then
    echo "figures: $doc has no section $name; left as it is" >&2
    return 1
  fi
  awk -v begin="$begin" -v end="$end" -v text="$text" '
    $0 == begin { print; while ((getline line < text) > 0) print line; skipping = 1; next }
    $0 == end { skipping = 0 }
    !skipping { print }
  ' "$doc" >"$doc.tmp" && mv "$doc.tmp" "$doc"
  echo "figures: section $name of docs/figures.md rewritten" >&2
}
