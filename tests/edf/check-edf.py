#!/usr/bin/python3
"""Reads the recording's EDF+ export back with MNE and checks it against its CSV export.

  /usr/bin/python3 tests/edf/check-edf.py CLI RECORDING.vecg WORKDIR [--cut N] [EXPORT OPTION...]

With --cut N, the recording's first N samples per lead are exported instead (a new .vecg
in WORKDIR); N = 0 checks that an empty recording is refused with one line on stderr and no
output file. EXPORT OPTIONs (--raw, --cutoff HZ) go to both exports. Checked: MNE reads the
file without a single warning; the channel names; 300 samples/s; the low-pass MNE reads from
the prefilter fields; the start (the header's recorded time marks the end, written in local
time to the second); the annotations ("Recording starts", and "Padding" over a short last
second); every sample against the CSV within 1 uV, and the padding repeating the last value.
Exits 1 with one message per fault, 77 when MNE is missing.
"""
import csv
import datetime
import fractions
import logging
import math
import os
import struct
import subprocess
import sys
import warnings

try:
    import mne
except ImportError:
    print("check-edf: skipped: MNE is missing (install python3-mne)", file=sys.stderr)
    sys.exit(77)

RATE = 300
UNITS_PER_MV = 33
LEADS = ["I", "II", "III", "aVR", "aVL", "aVF"]
TOLERANCE_MV = 0.001
# Signature (22 bytes), header (22 bytes), sample count (4 bytes), then the lead blocks.
SIGNATURE, HEADER = 22, 22

faults = []


def fault(text):
    faults.append(text)
    print("check-edf: " + text, file=sys.stderr)


class WarningCatcher(logging.Handler):
    def emit(self, record):
        fault("MNE logged a warning: " + record.getMessage())


def read_vecg(path):
    with open(path, "rb") as f:
        data = f.read()
    header = data[SIGNATURE:SIGNATURE + HEADER]
    recorded = struct.unpack_from("<i", header, 2)[0]
    leads_byte, rhythm = header[6], header[7]
    cutoff = struct.unpack_from("<d", header, 14)[0]
    count = struct.unpack_from("<i", data, SIGNATURE + HEADER)[0]
    blocks = 6 if leads_byte == 12 else 1
    return data, recorded, leads_byte == 12, rhythm, cutoff, count, blocks


def cut_copy(data, count, blocks, n, path):
    """The first n samples of each lead block, as a .vecg of its own."""
    start = SIGNATURE + HEADER + 4
    out = bytearray(data[:SIGNATURE + HEADER]) + struct.pack("<i", n)
    for b in range(blocks):
        out += data[start + b * count:start + b * count + n]
    with open(path, "wb") as f:
        f.write(out)


def main():
    cli, recording, work = sys.argv[1:4]
    options = sys.argv[4:]
    cut = None
    if "--cut" in options:
        i = options.index("--cut")
        cut = int(options[i + 1])
        del options[i:i + 2]
    raw_values = "--raw" in options
    os.makedirs(work, exist_ok=True)

    data, recorded, twelve_lead, rhythm, cutoff, count, blocks = read_vecg(recording)
    if cut is not None:
        path = os.path.join(work, "cut.vecg")
        cut_copy(data, count, blocks, cut, path)
        recording, count = path, cut
    if "--cutoff" in options:
        cutoff = float(options[options.index("--cutoff") + 1])

    edf_path = os.path.join(work, "export.edf")
    csv_path = os.path.join(work, "export.csv")
    for p in (edf_path, csv_path):
        if os.path.exists(p):
            os.remove(p)
    edf = subprocess.run([cli, "export", recording, "-o", edf_path, "--format", "edf"] + options,
                         capture_output=True, text=True)
    if count == 0:
        lines = edf.stderr.strip().splitlines()
        if edf.returncode != 1 or len(lines) != 1 or "no samples" not in edf.stderr:
            fault("an empty recording: exit %d, stderr %r" % (edf.returncode, edf.stderr))
        if os.path.exists(edf_path):
            fault("an empty recording left an output file")
        return
    if edf.returncode != 0:
        fault("edf export failed: " + edf.stderr.strip())
        return
    subprocess.run([cli, "export", recording, "-o", csv_path, "--format", "csv"] + options,
                   check=True)

    # Any warning, through the warnings module or MNE's own log, is a fault.
    mne.set_log_level("WARNING")
    logging.getLogger("mne").addHandler(WarningCatcher(level=logging.WARNING))
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        try:
            raw = mne.io.read_raw_edf(edf_path, preload=True)
        except Exception as e:  # a warning turned error, or a file MNE cannot read
            fault("MNE refused the file: %s: %s" % (type(e).__name__, e))
            return

    leads = LEADS if twelve_lead else [LEADS[rhythm if rhythm < 6 else 1]]
    names = ["ECG " + lead for lead in leads]
    if raw.ch_names != names:
        fault("channels %s, expected %s" % (raw.ch_names, names))
    if raw.info["sfreq"] != RATE:
        fault("sampling rate %s" % raw.info["sfreq"])
    records = -(-count // RATE)
    if raw.n_times != records * RATE:
        fault("%d samples, expected %d whole seconds" % (raw.n_times, records))

    filtered = not raw_values and 0 < cutoff < RATE / 2
    lowpass = cutoff if filtered else RATE / 2
    if abs(raw.info["lowpass"] - lowpass) > 1e-9:
        fault("low-pass %s, expected %s" % (raw.info["lowpass"], lowpass))

    # The recorded time is the end; the file starts at the second the start falls in, as a
    # local wall-clock time (which MNE labels UTC).
    start = math.floor(fractions.Fraction(recorded) - fractions.Fraction(count, RATE))
    expected_start = datetime.datetime.fromtimestamp(start).replace(tzinfo=datetime.timezone.utc)
    if raw.info["meas_date"] != expected_start:
        fault("start %s, expected %s" % (raw.info["meas_date"], expected_start))

    annotations = [(a["description"], a["onset"], a["duration"]) for a in raw.annotations]
    expected = [("Recording starts", 0.0, 0.0)]
    if count % RATE:
        expected.append(("Padding", count / RATE, records - count / RATE))
    if len(annotations) != len(expected) or any(
            a[0] != e[0] or abs(a[1] - e[1]) > 1e-6 or abs(a[2] - e[2]) > 1e-6
            for a, e in zip(annotations, expected)):
        fault("annotations %s, expected %s" % (annotations, expected))

    with open(csv_path, newline="") as f:
        rows = list(csv.reader(f))
    if rows[0][1:] != leads or len(rows) - 1 != count:
        fault("the CSV export has columns %s and %d rows" % (rows[0], len(rows) - 1))
        return
    signal = raw.get_data() * 1000.0  # volts to mV
    worst = 0.0
    for c in range(len(leads)):
        values = [float(row[c + 1]) for row in rows[1:]]
        if raw_values:
            values = [v / UNITS_PER_MV for v in values]
        values += [values[-1]] * (records * RATE - count)
        for i, v in enumerate(values):
            worst = max(worst, abs(signal[c][i] - v))
    if worst >= TOLERANCE_MV:
        fault("samples differ from the CSV by up to %.6f mV" % worst)


if __name__ == "__main__":
    main()
    sys.exit(1 if faults else 0)
