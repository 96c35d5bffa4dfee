#!/bin/sh
# layering.sh SOURCE_DIR: fails when a file under src/ includes a module its own module may not
# use, or a host header (Qt, POSIX, X11, Win32) where only plain C++ belongs. The rules are the
# table in docs/architecture.md, read from there, so the design is written down once.
set -eu
root=$1
doc=$root/docs/architecture.md

table=$(sed -n '/<!-- layering table: begin -->/,/<!-- layering table: end -->/p' "$doc" |
  awk -F'|' 'NF >= 5 && $2 !~ /module|---/ {
    for (i = 2; i <= 5; i++) { gsub(/^ +| +$/, "", $i) }
    print $2 "|" $3 "|" $4 "|" $5
  }')
[ -n "$table" ] || { echo "FAIL: no layering table in $doc" >&2; exit 1; }

cd "$root"
find src -type f \( -name '*.cpp' -o -name '*.h' \) | sort | while read -r file; do
  # Quoted includes name a file under src/ or beside the including file; angle ones name a
  # header of the system.
  sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*\(["<][^">]*[">]\).*/\1/p' "$file" |
    while read -r inc; do
      name=${inc#?}
      name=${name%?}
      case $inc in
      \"*)
        if [ -e "src/$name" ]; then
          echo "$file|quoted|src/$name"
        elif [ -e "$(dirname "$file")/$name" ]; then
          echo "$file|quoted|$(dirname "$file")/$name"
        else
          echo "$file|missing|$name"
        fi
        ;;
      *) echo "$file|system|$name" ;;
      esac
    done
  echo "$file|self|"
done | TABLE=$table awk -F'|' '
  BEGIN {
    n = split(ENVIRON["TABLE"], rows, "\n")
    for (i = 1; i <= n; i++) {
      split(rows[i], f, "|")
      mod[i] = f[1]; path[i] = f[2]; host[f[1]] = (f[4] == "yes")
      m = split(f[3], may, ",")
      for (j = 1; j <= m; j++) { gsub(/^ +| +$/, "", may[j]); if (may[j] != "") allowed[f[1], may[j]] = 1 }
    }
    rules = n
  }
  # The module of a path: the table row with the longest path that is the path or a folder of it.
  function moduleOf(p,    i, best, len) {
    best = ""; len = 0
    for (i = 1; i <= rules; i++)
      if ((p == path[i] || index(p, path[i] "/") == 1) && length(path[i]) > len) {
        best = mod[i]; len = length(path[i])
      }
    return best
  }
  # Plain C++ names its standard headers without a folder or an extension.
  function standard(h) { return h !~ /[\/.]/ && h !~ /^Q/ }
  {
    file = $1; kind = $2; target = $3
    own = moduleOf(file)
    if (own == "") { if (!(file in told)) { print file ": belongs to no module"; bad++ } told[file] = 1; next }
    if (kind == "self") next
    if (kind == "missing") { print file ": includes \"" target "\", which is no file of src/"; bad++; next }
    if (kind == "system") {
      if (!host[own] && !standard(target)) { print file ": includes <" target ">, a host header, in " own; bad++ }
      next
    }
    other = moduleOf(target)
    if (other == "" || other == own) next
    if (!allowed[own, other]) {
      sub(/^src\//, "", target)
      print file ": includes " target ": " own " may not use " other
      bad++
    }
  }
  END {
    if (bad) { print bad " include(s) break the layering table of docs/architecture.md"; exit 1 }
    print "every include under src/ keeps to the layering table"
  }'
