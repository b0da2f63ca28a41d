#!/usr/bin/env bash
# How many jobs the build and the tests run at once: VELMORA_JOBS when set
# (a whole number from 1), every processor otherwise.
set -euo pipefail
if [ -n "${VELMORA_JOBS:-}" ]; then
  if ! [[ "$VELMORA_JOBS" =~ ^[1-9][0-9]*$ ]]; then
    echo "VELMORA_JOBS must be a whole number from 1, not \"$VELMORA_JOBS\"" >&2
    exit 2
  fi
  echo "$VELMORA_JOBS"
else
  nproc 2>/dev/null || echo 2
fi
