#!/usr/bin/env bash
# A PDF printer of the tests' own on the real CUPS spooler.
#
#   cups_test_queue.sh start QUEUE OUTDIR   starts the scheduler when it is not
#                                           running and adds QUEUE, whose jobs
#                                           become PDF files in OUTDIR
#   cups_test_queue.sh stop QUEUE OUTDIR    removes QUEUE again
#
# The queue writes through the cups-pdf backend, with a configuration file of
# its own so that other PDF queues keep theirs. Where the spooler cannot be
# set up (not root, CUPS or cups-pdf missing) `start` says why in
# OUTDIR/unavailable and succeeds, and the printing tests report themselves
# skipped with that reason. The scheduler is left running: other queues and
# other test runs may be using it.
set -euo pipefail
action=$1 queue=$2 outdir=$3
conf=/etc/cups/cups-pdf-$queue.conf
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

unavailable() {
  echo "$*" >"$outdir/unavailable"
  echo "spooler queue: $*"
  exit 0
}

scheduler_up() { lpstat -r 2>/dev/null | grep -q "is running"; }

case $action in
start)
  rm -rf "$outdir"
  mkdir -p "$outdir"
  [ "$(id -u)" -eq 0 ] || unavailable "adding a printer queue needs root"
  for tool in cupsd lpadmin lpstat; do
    command -v "$tool" >/dev/null || unavailable "$tool is not installed (scripts/setup.sh installs CUPS)"
  done
  [ -x /usr/lib/cups/backend/cups-pdf ] && [ -f "$ppd" ] ||
    unavailable "the cups-pdf backend is not installed (printer-driver-cups-pdf)"
  if ! scheduler_up; then
    # Detached from the test run, so that CTest does not wait for it.
    setsid cupsd </dev/null >/dev/null 2>&1 || unavailable "cupsd did not start"
    for _ in $(seq 50); do scheduler_up && break; sleep 0.2; done
    scheduler_up || unavailable "cupsd did not start answering"
  fi
  printf 'Out %s\nAnonDirName %s\nLabel 0\nTitlePref 1\n' "$outdir" "$outdir" >"$conf"
  # The cairo renderer keeps the texts of the pages readable in the PDF
  # that cups-pdf writes.
  lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P "$ppd" \
    -o pdftops-renderer-default=pdftocairo 2>/dev/null
  lpstat -p "$queue" >/dev/null || unavailable "the queue $queue could not be added"
  echo "spooler queue: $queue writes to $outdir"
  ;;
stop)
  cancel -a "$queue" 2>/dev/null || true
  lpadmin -x "$queue" 2>/dev/null || true
  rm -f "$conf"
  ;;
*)
  echo "usage: $0 start|stop QUEUE OUTDIR" >&2
  exit 2
  ;;
esac
