#!/usr/bin/env bash
# Runs the fuzz targets one at a time, each for a bounded time or number of runs, from its seed
# corpus in fuzz/corpus/<target> (every seed, the kept crashes included, is replayed first).
#   fuzz/lancer.sh [-t SECONDS | -n RUNS] [-b BUILD] [TARGET]...
#     -t SECONDS   time for each target (default 10)
#     -n RUNS      number of executions for each target instead of a time
#     -b BUILD     the fuzz build folder (default ./build-fuzz, configured with -DZEF30_FUZZ=ON)
#     TARGET       e.g. Liaison_fuzz; default: every target built
# New inputs found go to a working folder, never into the repository's corpus; a crash, leak
# or hang leaves its input there and the script ends in failure. One summary line a target.
# On a shared machine, run it under `nice -n 19`, with ZEF30_FUZZ_DELAI=SECONDS (default 60),
# the time one input may take before it counts as a hang, raised to match.
set -euo pipefail

racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
construction="$racine/build-fuzz"
limite=(-max_total_time=10)
while getopts "t:n:b:" option; do
  case "$option" in
    t) limite=(-max_total_time="$OPTARG") ;;
    n) limite=(-runs="$OPTARG") ;;
    b) construction="$OPTARG" ;;
    *) sed -n '2,13s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

cibles=("$@")
if [ ${#cibles[@]} -eq 0 ]; then
  for programme in "$construction"/fuzz/*_fuzz; do
    [ -x "$programme" ] && cibles+=("$(basename "$programme")")
  done
fi
[ ${#cibles[@]} -gt 0 ] || { echo "lancer.sh: no fuzz target in $construction/fuzz" >&2; exit 1; }

travail="$(mktemp -d "${TMPDIR:-/tmp}/zef30-fuzz-XXXXXX")"
echo "lancer.sh: working folder $travail"
echec=0
for cible in "${cibles[@]}"; do
  mkdir -p "$travail/$cible"
  journal="$travail/$cible.log"
  debut=$(date +%s)
  if "$construction/fuzz/$cible" "$travail/$cible" "$racine/fuzz/corpus/$cible" \
      "${limite[@]}" -timeout="${ZEF30_FUZZ_DELAI:-60}" -rss_limit_mb=2048 -max_len=2048 -print_final_stats=1 \
      -artifact_prefix="$travail/$cible-" >"$journal" 2>&1; then
    etat=ok
  else
    etat=ÉCHEC
    echec=1
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$journal" | tail -1)
  couverture=$(grep -o 'cov: [0-9]*' "$journal" | tail -1 || true)
  echo "$cible: $etat, ${executions:-?} executions in $(($(date +%s) - debut)) s, ${couverture:-cov: ?}"
  if [ "$etat" != ok ]; then
    grep -E 'ERROR|SUMMARY|Test unit written|deadly signal' "$journal" | head -5
  fi
done
exit $echec
