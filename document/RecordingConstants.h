#pragma once

// The numbers every part of the program shares about a recording: how fast it is sampled, how
// big a millivolt is, how much the rings hold and keep, and how the grid shows it.

// Every channel is sampled 300 times a second, one signed byte per sample.
constexpr int kSamplesPerSecond = 300;
constexpr double kSampleRate = kSamplesPerSecond;
// 33 sample units are 1 mV.
constexpr int kUnitsPerMv = 33;

// What a session's rings hold: 12 s of each 12-lead channel, 50 s of the monitored lead. The
// rings are the document's, and so is their size: a recording read from a file may fill them.
constexpr int kLeadCapacity = 12 * kSamplesPerSecond;
constexpr int kMonitorCapacity = 50 * kSamplesPerSecond;
// What a stop keeps of them: the last 10 s of 12-lead data, the last 40 s of monitoring.
constexpr int kLeadKept = 10 * kSamplesPerSecond;
constexpr int kMonitorKept = 40 * kSamplesPerSecond;

// The grid is 10 s wide (25 mm/s): one strip across it, and two 5-s columns of the 12-lead
// layout side by side; a monitoring page is four strips.
constexpr int kStripSamples = 10 * kSamplesPerSecond;
constexpr int kColumnSamples = kStripSamples / 2;
constexpr int kMonitorStrips = 4;

static_assert(kLeadKept < kLeadCapacity && kMonitorKept < kMonitorCapacity,
              "a ring holds more than it keeps, so that its head never meets its tail");
static_assert(kLeadKept == kStripSamples, "the rhythm strip shows the whole kept span");
static_assert(kMonitorKept == kMonitorStrips * kStripSamples,
              "a monitoring page shows the whole kept span");
static_assert(2 * kColumnSamples == kStripSamples, "two columns fill the width of the grid");
static_assert(kSamplesPerSecond == 300 && kLeadCapacity == 3600 && kMonitorCapacity == 15000,
              "the file format and the recorder fix these");
