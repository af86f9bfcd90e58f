#!/bin/sh
# Stand-in for the suite's stock-card program in tests and the demo: appends what it was started
# with to $SKARTA_STANDIN_LOG (default: skarta-standin.log beside itself) - a line "#argc N", a
# line "#cwd FOLDER", then each argument on a line of its own - and ends at once.
log="${SKARTA_STANDIN_LOG:-$(dirname "$0")/skarta-standin.log}"
{
  printf '#argc %s\n' "$#"
  printf '#cwd %s\n' "$(pwd)"
  for a in "$@"; do
    printf '%s\n' "$a"
  done
} >>"$log"
