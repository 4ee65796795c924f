#!/bin/sh
# The request families against the simulated terminal, a listened validity among them, traced;
# then the trace read anywhere: every frame named in the trace and by --decode, which gives back
# every line as it stood and reads again, and --chart draws one arrow a record as an SVG picture
# that parses. Then what is no trace, or a damaged one, or a huge one.
# (A request the simulated terminal refuses, such as an unknown dossier, is no failure here.)
# Usage: LectureTrace.sh CONSOLE
set -e
console=$1
dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
echec() { echo "$*"; exit 1; }
printf '%s\n' 'validite prix=1250 ecran=oui mode=video' switch consultation heure \
  etat-telecollecte etat-teleparam enregistrement liste-dossiers info-dossier iso2 \
  'telecollecte ecran=oui' redemarrage >"$dossier/run.txt"
# Every burst at once and no pause of the card holder's: the frames are the same, sooner.
env -u DISPLAY -u WAYLAND_DISPLAY "$console" --headless --simulator --sim rythme=rafale \
  --sim paiement.pause-carte=0 --sim paiement.pause-code=0 --sim paiement.pause-reponse=0 \
  --sim pause=0 --data-dir "$dossier" --trace "$dossier/trace.txt" --run "$dossier/run.txt" \
  >/dev/null || [ $? -ge 10 ]
trames=$(grep -c '\[trame ' "$dossier/trace.txt")
mots=$(grep -c '^#= ' "$dossier/trace.txt")
[ "$trames" -gt 0 ] && [ "$trames" -eq "$mots" ] || echec "$trames frames, $mots decoded"
"$console" --decode "$dossier/trace.txt" >"$dossier/decodee.txt"
grep -q '^#= Ak réponse de validité : statut 0' "$dossier/decodee.txt"
if grep 'trame inconnue' "$dossier/decodee.txt"; then exit 1; fi
# Every line of the trace as it stood, header first, and a trace still: it decodes to itself.
grep -v '^#= ' "$dossier/trace.txt" >"$dossier/lignes.txt"
grep -v '^#= ' "$dossier/decodee.txt" | cmp -s - "$dossier/lignes.txt" || echec "lines changed"
"$console" --decode "$dossier/decodee.txt" | cmp -s - "$dossier/decodee.txt" || echec "not again"
"$console" --chart "$dossier/decodee.txt" -o "$dossier/diagramme.svg" >/dev/null
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$dossier/diagramme.svg"
fleches=$(grep -c 'class="salve"' "$dossier/diagramme.svg")
salves=$(grep -vc '^#' "$dossier/trace.txt")
[ "$fleches" -eq "$salves" ] || echec "$fleches arrows for $salves records"

# What is no trace: one line and exit code 2, at once, for both readings.
mkfifo "$dossier/tube"
ln -s /dev/zero "$dossier/zero"
for chose in "$dossier" "$dossier/tube" /dev/zero "$dossier/zero" "$dossier/absente"; do
  for lecture in --decode --chart; do
    set -- "$lecture" "$chose"
    [ "$lecture" = --chart ] && set -- "$@" -o "$dossier/x.svg"
    rc=0
    timeout 10 "$console" "$@" >/dev/null 2>"$dossier/erreur.txt" || rc=$?
    [ "$rc" -eq 2 ] && [ "$(wc -l <"$dossier/erreur.txt")" -eq 1 ] ||
      echec "$lecture $chose: rc $rc, $(cat "$dossier/erreur.txt")"
    grep -q "^$chose : trace illisible : " "$dossier/erreur.txt" || echec "$(cat "$dossier/erreur.txt")"
  done
done
[ ! -e "$dossier/x.svg" ]
rc=0
"$console" --chart "$dossier/trace.txt" --from 200 --to 100 -o "$dossier/x.svg" 2>"$dossier/erreur.txt" || rc=$?
[ "$rc" -eq 2 ] && grep -q -- '--from après --to' "$dossier/erreur.txt" && [ ! -e "$dossier/x.svg" ] || echec "--from after --to: rc $rc"

# Each damaged record named with its line, the rest still decoded and drawn (exit code 1); a
# pause mark given back as it stood.
{
  echo '# trace'
  echo '      1.000 C>T | 05 | <ENQ>'
  echo '      2.000 T>C +0.106s | 06 | <ACK>'
  echo '   1.000 X>Y | 05 | ?'
  echo '      3.000 C>T | 02 41 41 30 30 30 10 03 0Z | ?'
  echo '      nan C>T | 04 | <EOT>'
  echo '      -4.000 C>T | 04 | <EOT>'
  echo '      1.500 C>T | 04 | <EOT>'
  echo '      3.000 C>T | 02 41 41 30 30 30 10 03 23 | <STX>AA000<DLE><ETX># | [trame AA : LRC 23 juste]'
  echo '      4.000 T>C | 02 41 61 30 30 34 30 31 30 30 10 03 | <STX>Aa0040100<DLE><ETX>'
} >"$dossier/abimee.txt"
rc=0
"$console" --decode "$dossier/abimee.txt" >"$dossier/a.txt" 2>"$dossier/erreur.txt" || rc=$?
[ "$rc" -eq 1 ] || echec "decode of a damaged trace: rc $rc"
for attendu in 'ligne 4 : enregistrement illisible' 'ligne 5 : enregistrement illisible' \
  'ligne 6 : moment impossible' 'ligne 7 : moment impossible' \
  'ligne 8 : moment antérieur à celui d’avant'; do
  grep -q "abimee.txt : $attendu\$" "$dossier/erreur.txt" || echec "no « $attendu »"
done
grep -q '^      2.000 T>C +0.106s | 06 | <ACK>$' "$dossier/a.txt"
grep -q '^#= AA demande de switch$' "$dossier/a.txt"
[ "$(grep -c '^#= ' "$dossier/a.txt")" -eq 1 ] || echec "the cut frame decoded"
rc=0
"$console" --chart "$dossier/abimee.txt" -o "$dossier/a.svg" >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 1 ] && [ "$(grep -c 'class="salve"' "$dossier/a.svg")" -eq 4 ] || echec "chart: rc $rc"

# 300 000 records: the chart holds the bands without their arrows and says how to narrow it,
# within 20 MB of picture and 400 MB of memory; --decode keeps its memory flat.
awk 'BEGIN {
  for (i = 0; i < 30000; i++) {
    t = i * 100
    printf "%11.3f C>T | 05 | <ENQ>\n%11.3f T>C | 06 | <ACK>\n", t, t + 1
    printf "%11.3f C>T | 02 41 41 30 30 30 10 03 23 | <STX>AA000<DLE><ETX>#\n", t + 2
    printf "%11.3f T>C | 06 | <ACK>\n%11.3f C>T | 04 | <EOT>\n", t + 3, t + 4
    printf "%11.3f T>C | 05 | <ENQ>\n%11.3f C>T | 06 | <ACK>\n", t + 5, t + 6
    printf "%11.3f T>C | 02 41 61 30 30 34 30 31 30 30 10 03 06 | <STX>Aa0040100<DLE><ETX><ACK>\n", t + 7
    printf "%11.3f C>T | 06 | <ACK>\n%11.3f T>C | 04 | <EOT>\n", t + 8, t + 9
  }
}' >"$dossier/grande.txt"
mesure() { if [ -x /usr/bin/time ]; then /usr/bin/time -f %M -o "$dossier/ko" "$@"; else "$@"; fi; }
mesure "$console" --chart "$dossier/grande.txt" -o "$dossier/g.svg" >/dev/null
[ ! -s "$dossier/ko" ] || [ "$(cat "$dossier/ko")" -le 409600 ] || echec "chart: $(cat "$dossier/ko") KB"
[ "$(wc -c <"$dossier/g.svg")" -le 20000000 ] || echec "chart: $(wc -c <"$dossier/g.svg") bytes"
grep -q 'resserrez avec --from et --to' "$dossier/g.svg"
if grep -q 'class="salve"' "$dossier/g.svg"; then echec "arrows past the bound"; fi
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$dossier/g.svg"
mesure "$console" --decode "$dossier/grande.txt" >/dev/null
# A console built with AddressSanitizer keeps freed memory in quarantine: about 100 MB more.
# The sanitizer's entry point is in the program whether its run-time is linked in (clang) or
# shared (g++).
borne=102400
if grep -qa __asan_init "$console"; then borne=307200; fi
[ ! -s "$dossier/ko" ] || [ "$(cat "$dossier/ko")" -le "$borne" ] || echec "decode: $(cat "$dossier/ko") KB"
# Narrowed, the same trace is drawn arrow by arrow.
"$console" --chart "$dossier/grande.txt" --from 1000 --to 1999 -o "$dossier/g.svg" >/dev/null
[ "$(grep -c 'class="salve"' "$dossier/g.svg")" -eq 100 ]
