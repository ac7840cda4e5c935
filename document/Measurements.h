#pragma once

#include "Leads.h"
#include "RecordingConstants.h"
#include "Species.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

class CZM540Doc;

// Heart rate and mean electrical axis, measured on processed traces (sample units, 300 a
// second). Beats are found on the slope of the QRS complexes, combined over the leads given, so
// that inverted complexes count as well as upright ones; mains hum, baseline wander and the
// P and T waves are filtered out before the beats are looked for.

// Two beats are never closer than this (0.1 s): a rate of 400 a minute still fits.
constexpr int kMinBeatSpacing = kSamplesPerSecond / 10;
// The most beats a record can hold.
constexpr int kMaxBeats = kMonitorCapacity / kMinBeatSpacing + 1;
// What the live rate looks at: the last 10 s of a session.
constexpr int kLiveSpan = 10 * kSamplesPerSecond;

// The readings of a recording. An empty reading is shown as "—".
struct EcgMeasurements {
    std::optional<double> rateBpm; // none under three beats
    std::optional<double> axisDeg; // -180..180; 12-lead recordings with beats only
    int nBeats = 0;
};

// Working storage of the measurements, sized for the longest record (about 400 KB): keep one
// with whoever measures (the view, the command-line tool), not on a small stack. Nothing is
// allocated while measuring.
struct MeasurementScratch {
    std::array<double, kMonitorCapacity> slope;   // combined QRS slope of every sample
    std::array<double, kMonitorCapacity> feature; // the slope averaged over a QRS width
    std::array<std::array<double, kLiveSpan>, kLimbLeadCount> live; // processed ring samples
    std::array<int, kMaxBeats> candidates;
    std::array<int, kMaxBeats> beats;
};

// Traces measured together: one to six leads of nSamples each (at most kMonitorCapacity).
struct TraceSet {
    std::array<const double*, kLimbLeadCount> leads{};
    int nLeads = 0;
    int nSamples = 0;
};

// The beats of `traces`: sample positions of the QRS complexes in time order, held in
// `scratch`. Empty for traces that are too short, too many, or flat.
std::span<const int> DetectBeats(const TraceSet& traces, MeasurementScratch& scratch);

// Beats per minute from the mean interval between the beats; none under three beats.
std::optional<double> HeartRateOfBeats(std::span<const int> beats);

// Mean electrical axis in degrees (-180..180) from the net QRS deflections (R minus |S|) of
// leads I and aVF around each beat, averaged over the beats. None without beats, and none when
// the QRS is flat in both leads (an indeterminate axis).
std::optional<double> MeanElectricalAxis(const double* pLeadI, const double* pLeadaVF, int nSamples,
                                         std::span<const int> beats);

// The readings of the document's processed traces: all six limb leads in 12-lead mode, the
// monitored lead in monitoring (which has no axis).
EcgMeasurements MeasureRecording(const CZM540Doc& doc, MeasurementScratch& scratch);

// A running session's rings: `nHead` is where the next sample goes, `nValid` how many samples
// before it hold data (the ring wraps around at nCapacity).
struct LiveRings {
    std::array<const std::int8_t*, kLimbLeadCount> rings{};
    int nLeads = 0;
    int nCapacity = 0;
    int nHead = 0;
    int nValid = 0;
};

// The heart rate of the last 10 s of the rings, processed as a stopped session's record would
// be (the smoother, then the low-pass at `dCutoff` when it is above 0). None for rings that
// make no sense (a head outside the ring) or hold fewer than three beats.
std::optional<double> LiveHeartRate(const LiveRings& live, double dCutoff,
                                    MeasurementScratch& scratch);
// The same over the document's rings in its mode and at its cutoff.
std::optional<double> LiveHeartRate(const CZM540Doc& doc, int nHead, int nValid,
                                    MeasurementScratch& scratch);

// Whether a reading lies within the species' resting range; none when the species has no such
// range or there is no reading.
std::optional<bool> RateInReference(Species species, std::optional<double> rateBpm);
std::optional<bool> AxisInReference(Species species, std::optional<double> axisDeg);

// How readings are written for people: "128 bpm", "+62°", and "—" for no reading.
QString RateText(std::optional<double> rateBpm);
QString AxisText(std::optional<double> axisDeg);
// The species' resting ranges, "60–160 bpm" and "+40° to +100°"; empty when it has none.
QString RateRangeText(Species species);
QString AxisRangeText(Species species);
