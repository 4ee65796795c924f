#!/bin/sh
# Runs a command, then checks its exit code and that its output (both streams) holds a text.
# The command runs in a temporary folder of its own, removed afterwards: what it writes in its
# current folder (--data-dir .) is left nowhere.
# Usage: VerifierSortie.sh CODE TEXT COMMAND [ARGUMENT]...
code=$1
motif=$2
shift 2
dossier=$(mktemp -d) || exit 1
trap 'rm -rf "$dossier"' EXIT
cd "$dossier" || exit 1
sortie=$("$@" 2>&1)
rc=$?
printf '%s\n' "$sortie"
if [ "$rc" -ne "$code" ]; then
  echo "exit code $rc, expected $code"
  exit 1
fi
if ! printf '%s\n' "$sortie" | grep -q -- "$motif"; then
  echo "the output does not say: $motif"
  exit 1
fi
