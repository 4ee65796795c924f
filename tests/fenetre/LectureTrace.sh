#!/bin/sh
# The request families against the simulated terminal, a listened validity among them, traced;
# then the trace read anywhere: every frame named in the trace and by --decode, and --chart draws
# one arrow a record as an SVG picture that parses.
# (A request the simulated terminal refuses, such as an unknown dossier, is no failure here.)
# Usage: LectureTrace.sh CONSOLE
set -e
console=$1
dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
printf '%s\n' 'validite prix=1250 ecran=oui mode=video' switch consultation heure \
  etat-telecollecte etat-teleparam enregistrement liste-dossiers info-dossier iso2 \
  'telecollecte ecran=oui' redemarrage >"$dossier/run.txt"
env -u DISPLAY -u WAYLAND_DISPLAY "$console" --headless --simulator --data-dir "$dossier" \
  --trace "$dossier/trace.txt" --run "$dossier/run.txt" >/dev/null || [ $? -ge 10 ]
trames=$(grep -c '\[trame ' "$dossier/trace.txt")
mots=$(grep -c '^#= ' "$dossier/trace.txt")
[ "$trames" -gt 0 ] && [ "$trames" -eq "$mots" ] || { echo "$trames frames, $mots decoded"; exit 1; }
"$console" --decode "$dossier/trace.txt" >"$dossier/decodee.txt"
grep -q '^#= Ak réponse de validité : statut 0' "$dossier/decodee.txt"
if grep 'trame inconnue' "$dossier/decodee.txt"; then exit 1; fi
"$console" --chart "$dossier/trace.txt" -o "$dossier/diagramme.svg" >/dev/null
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$dossier/diagramme.svg"
fleches=$(grep -c 'class="salve"' "$dossier/diagramme.svg")
salves=$(grep -vc '^#' "$dossier/trace.txt")
[ "$fleches" -eq "$salves" ] || { echo "$fleches arrows for $salves records"; exit 1; }
# A record that cannot be read is named, and nothing is drawn.
printf '# trace\n   1.000 X>Y | 05 | ?\n' >"$dossier/abimee.txt"
if "$console" --chart "$dossier/abimee.txt" -o "$dossier/a.svg" 2>"$dossier/erreur.txt"; then exit 1; fi
grep -q 'abimee.txt : ligne 2 : enregistrement illisible' "$dossier/erreur.txt"
[ ! -e "$dossier/a.svg" ]
