#!/bin/sh
# Every option that a program's --help names is in its manual page, and the page reads without a
# warning from man.
# Usage: PagesManuel.sh PROGRAM PAGE.1.gz
programme=$1
page=$2
texte=$(gzip -dc "$page") || exit 1
manque=0
for option in $("$programme" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  roff=$(printf '%s' "$option" | sed 's/-/\\\\-/g')
  if ! printf '%s\n' "$texte" | grep -q -- "$roff"; then
    echo "$page: $option missing"
    manque=1
  fi
done
if command -v man >/dev/null; then
  avertissements=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  if [ -n "$avertissements" ]; then
    echo "$page: $avertissements"
    manque=1
  fi
fi
exit $manque
