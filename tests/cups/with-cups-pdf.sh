#!/usr/bin/env bash
# Runs a command against a private CUPS server that has one cups-pdf queue,
# and collects the PDF the queue produced.
#
#   tests/cups/with-cups-pdf.sh [--output FILE] [--submitted FILE] [--timeout SECONDS]
#                               [--] COMMAND [ARG...]
#
# The command runs with these set:
#   ZM540_TEST_PRINTER  name of the queue (also the server's default destination)
#   CUPS_SERVER         the private server's Unix socket, so lp, lpstat and
#                       QPrinter (through libcups) all talk to it
#   LPDEST              the queue again, so printing to the default printer
#                       goes there whatever the user's lpoptions say
# Arguments are passed as they are; to expand the queue's name, use sh -c:
#
#   sudo tests/cups/with-cups-pdf.sh --output /tmp/page.pdf -- \
#     sh -c 'lp -d "$ZM540_TEST_PRINTER" some.pdf'
#
# The command must send exactly one job, and finish within SECONDS (default
# 60, or $ZM540_CUPS_TIMEOUT). The script then waits as long again for the job
# to finish and its PDF to appear, and copies that PDF to FILE (or to
# $ZM540_TEST_PDF), and the document as the command sent it (from QPrinter,
# the PDF Qt made) to the --submitted FILE. On exit it stops the server and
# deletes the PDFs cups-pdf wrote meanwhile and the temporary folder
# (ZM540_CUPS_KEEP=1 keeps the folder, with the server's logs in log/).
#
# Exit status: the command's own if it failed; 1 if no PDF came out in time;
# 77 if a CUPS server with cups-pdf cannot run here (not root, missing
# packages), so ctest reports the test as skipped.
#
# The system's /etc/cups and a system cupsd are not touched. cups-pdf reads
# only /etc/cups/cups-pdf.conf and writes into the folder named there (by
# default ~USER/PDF for the job's user), so the PDF is picked up from there.
set -uo pipefail

SKIP=77
output="${ZM540_TEST_PDF:-}"
submitted=""
timeout="${ZM540_CUPS_TIMEOUT:-60}"
queue="zm540-test-pdf"

usage() { awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; }
skip() { echo "with-cups-pdf: skipped: $*" >&2; exit "$SKIP"; }
fail() { echo "with-cups-pdf: $*" >&2; exit 1; }

while [ $# -gt 0 ]; do
  case "$1" in
    --output) output="$2"; shift 2 ;;
    --submitted) submitted="$2"; shift 2 ;;
    --timeout) timeout="$2"; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    --) shift; break ;;
    -*) echo "with-cups-pdf: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { usage >&2; exit 2; }

# cups-pdf refuses to run unless started as root (its file mode is 0700), so
# only a root cupsd can drive it.
[ "$(id -u)" -eq 0 ] || skip "the cups-pdf backend needs a cupsd running as root; run as root"
for tool in /usr/sbin/cupsd /usr/sbin/lpadmin /usr/bin/lpstat /usr/bin/lp; do
  [ -x "$tool" ] || skip "$tool is missing (install cups and cups-client)"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || skip "the cups-pdf backend is missing (install printer-driver-cups-pdf)"
command -v gs >/dev/null || skip "ghostscript is missing (cups-pdf needs it)"

ppd=""
for candidate in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF.ppd \
                 /usr/share/cups/model/CUPS-PDF_opt.ppd /usr/share/cups/model/CUPS-PDF.ppd; do
  if [ -f "$candidate" ]; then ppd="$candidate"; break; fi
done
[ -n "$ppd" ] || skip "no CUPS-PDF PPD found (install printer-driver-cups-pdf)"

# Where cups-pdf will write: the Out and AnonDirName lines of its config, with
# ${HOME} and ${USER} taken from the job's user (the one running the command).
job_user="${CUPS_USER:-$(id -un)}"
conf_value() { # KEY DEFAULT
  local v
  v=$(sed -n "s/^[[:space:]]*$1[[:space:]]\{1,\}//p" /etc/cups/cups-pdf.conf 2>/dev/null | tail -n 1)
  printf '%s' "${v:-$2}"
}
job_home=$(getent passwd "$job_user" | cut -d: -f6)
out_dir=$(conf_value Out '${HOME}/PDF')
out_dir="${out_dir//\$\{HOME\}/$job_home}"
out_dir="${out_dir//\$\{USER\}/$job_user}"
anon_dir=$(conf_value AnonDirName /var/spool/cups-pdf/ANONYMOUS)

work=$(mktemp -d /tmp/zm540-cups.XXXXXX) || skip "cannot make a temporary folder"
cupsd_pid=""
cleanup() {
  if [ -n "$cupsd_pid" ]; then
    kill "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
  fi
  if [ -f "$work/started" ]; then
    find "$out_dir" "$anon_dir" -maxdepth 1 -type f -name '*.pdf' -newer "$work/started" -delete 2>/dev/null
  fi
  if [ "${ZM540_CUPS_KEEP:-0}" = 1 ]; then
    echo "with-cups-pdf: kept $work" >&2
  else
    rm -rf -- "$work"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Filters run as user lp and must reach the spool and the PPD copy.
chmod 0755 "$work"
mkdir -p "$work"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log}
socket="$work/cups.sock"

cat >"$work/etc/cups-files.conf" <<EOF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup root
FileDevice No
EOF

cat >"$work/etc/cupsd.conf" <<EOF
LogLevel debug
Listen $socket
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
DefaultAuthType None
JobRetryLimit 0
PreserveJobFiles Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
EOF

export CUPS_SERVER="$socket"
export ZM540_TEST_PRINTER="$queue"
# The default destination too: LPDEST goes before a Default line in the
# user's ~/.cups/lpoptions, which could name a printer this server lacks.
export LPDEST="$queue"
unset PRINTER

/usr/sbin/cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" \
  >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!

for _ in $(seq 100); do
  if ! kill -0 "$cupsd_pid" 2>/dev/null; then
    cupsd_pid=""
    skip "cupsd did not start: $(tail -n 1 "$work/log/cupsd.out" "$work/log/error_log" 2>/dev/null | grep -v '^==>' | grep . | tail -n 1)"
  fi
  lpstat -r 2>/dev/null | grep -q 'is running' && break
  sleep 0.1
done
lpstat -r 2>/dev/null | grep -q 'is running' || skip "cupsd does not answer on $socket"

# A job whose backend fails is aborted rather than left waiting on a stopped queue.
lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" -o PageSize=A4 -o media=A4 \
    -o printer-error-policy=abort-job 2>"$work/log/lpadmin.err" \
  || fail "lpadmin could not add the queue: $(grep -v -i deprecat "$work/log/lpadmin.err" | head -n 1)"
lpadmin -d "$queue" || fail "lpadmin could not make $queue the default destination"

# Back-dated, as some file systems keep whole seconds only.
stamp="$work/started"
touch -d "@$(($(date +%s) - 1))" "$stamp"

# Bounded, so a command that hangs cannot outlive ctest's timeout and leave
# this cupsd running.
timeout --kill-after=5 "$timeout" "$@"
status=$?
[ "$status" -ne 124 ] || fail "the command did not finish within ${timeout}s"
[ "$status" -eq 0 ] || { echo "with-cups-pdf: the command exited with status $status" >&2; exit "$status"; }

deadline=$((SECONDS + timeout))
# One recording is one job; a second job would be a page the check never sees.
jobs=$(lpstat -W all -o "$queue" 2>/dev/null | grep -c "^$queue-")
[ "$jobs" -eq 1 ] || fail "the command sent $jobs jobs to $queue, want exactly 1"
show_log() { grep -E '\[Job [0-9]+\].*(rror|cups-pdf|Backend)' "$work/log/error_log" | tail -n 15 >&2; }
while [ -n "$(lpstat -o "$queue" 2>/dev/null)" ]; do
  if lpstat -p "$queue" 2>/dev/null | grep -q disabled; then
    lpstat -l -p "$queue" >&2; show_log
    fail "$queue stopped with a job still queued"
  fi
  if [ "$SECONDS" -ge "$deadline" ]; then
    lpstat -l -o "$queue" >&2; show_log
    fail "the job on $queue did not finish within ${timeout}s"
  fi
  sleep 0.2
done

# cups-pdf writes the file before it exits; a finished job with no PDF after
# a few seconds more failed (cups-pdf aborts it), so stop waiting early.
produced=""
[ $((SECONDS + 10)) -ge "$deadline" ] || deadline=$((SECONDS + 10))
while :; do
  produced=$(find "$out_dir" "$anon_dir" -maxdepth 1 -type f -name '*.pdf' -newer "$stamp" \
               -printf '%T@ %p\n' 2>/dev/null | sort -n | tail -n 1 | cut -d' ' -f2-)
  [ -n "$produced" ] && break
  if [ "$SECONDS" -ge "$deadline" ]; then
    lpstat -W completed -l -o "$queue" >&2; show_log
    fail "no PDF appeared in $out_dir or $anon_dir within ${timeout}s"
  fi
  sleep 0.2
done

echo "with-cups-pdf: $queue printed $(basename "$produced")"
if [ -n "$output" ]; then
  mkdir -p "$(dirname "$output")"
  cp -- "$produced" "$output" || fail "cannot copy the PDF to $output"
  echo "with-cups-pdf: copied to $output"
fi
if [ -n "$submitted" ]; then
  # The job's document stays in the spool (PreserveJobFiles) until cupsd stops.
  sent=$(ls "$work"/spool/d*-001 2>/dev/null | head -n 1)
  [ -n "$sent" ] || fail "the job's document is not in $work/spool"
  mkdir -p "$(dirname "$submitted")"
  cp -- "$sent" "$submitted" || fail "cannot copy the job's document to $submitted"
  echo "with-cups-pdf: the document as sent copied to $submitted"
fi
exit 0
