#!/usr/bin/env python3
# Lost bytes: leads I and II of a recording (a raw CSV from zm540vet-cli) must appear, unbroken,
# in what ks770sim logged as sent, and the recording should end where the sending ended.
# Usage: check-recording-run.py RAW.csv SENT.log
import sys
rec = [tuple(map(int, l.split(',')[1:3])) for l in open(sys.argv[1]).read().split('\n')[1:] if l]
sent = [tuple(map(int, l.split(',')[:2])) for l in open(sys.argv[2]) if l[0] != '#']
text = {s: i for i, s in enumerate(zip(*[sent[k:] for k in range(8)]))}
start = text.get(tuple(rec[:8]))
ok = start is not None and sent[start:start + len(rec)] == rec
tail = len(sent) - (start + len(rec)) if ok else -1
print(f"  sent: {len(sent)} frames; recording: {len(rec)} samples; "
      f"{'an unbroken run of the frames sent' if ok else 'NOT a run of the frames sent'}"
      + (f", ending {tail} frame(s) before the last one sent" if ok else ""))
sys.exit(0 if ok else 1)
