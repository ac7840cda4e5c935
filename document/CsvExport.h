#pragma once

#include <QByteArray>

class CZM540Doc;

// The recording's traces as CSV: a header "time_s,<lead>..." (the six limb leads of a 12-lead
// recording, the rhythm lead of a monitoring one), then one row per sample with its time in
// seconds and each lead's value, in millivolts or, with `bRaw`, as the stored sample. Numbers
// carry 17 significant digits, so that they read back exactly.
QByteArray TracesAsCsv(const CZM540Doc& doc, bool bRaw);
