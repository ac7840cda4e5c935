#pragma once

#include <QtGlobal>

#include <array>

// A synthetic ECG of a dog or a cat, one sample instant at a time, 300 instants a second.
//
// The heart is one electrical dipole whose vector (x to the animal's left, y toward its feet,
// z toward its chest wall) is a sum of Gaussian bumps for the P wave, Q, R and S, and the T wave
// of each beat. Every electrode sees the vector projected on its own direction, plus its own
// disturbances (noise, mains hum, baseline wander); the leads are differences of electrode
// potentials. Every limb lead therefore comes from the same three limb electrodes, and
// III = II - I, aVR = -(I + II)/2, aVL = I - II/2, aVF = II - I/2 hold in the source.

enum class Animal { Dog, Cat };

struct EcgOptions {
    Animal animal = Animal::Dog;
    bool bNoise = false;  // white noise on every electrode
    bool bHum = false;    // 50 Hz mains hum, of a different strength on every electrode
    bool bWander = false; // slow baseline wander (breathing and drift)
    quint64 nSeed = 1;    // the same seed gives the same ECG
};

// Channels of one sample instant: the limb leads, then the six chest channels.
enum EcgChannel { kChI, kChII, kChIII, kChaVR, kChaVL, kChaVF, kChV1 };
constexpr int kEcgChannelCount = 12;
constexpr int kChestChannelCount = 6;

// One sample instant.
struct EcgInstant {
    // Millivolts before quantisation, I, II, III, aVR, aVL, aVF, V1 to V6.
    std::array<double, kEcgChannelCount> source{};
    // Sample units (33 to the millivolt) as the unit sends them, each within -126..127. I, II
    // and the chest channels are the rounded source; III, aVR, aVL and aVF are derived from the
    // integer I and II the way the program derives them, so III = II - I holds exactly.
    std::array<int, kEcgChannelCount> units{};
};

class SyntheticEcg {
  public:
    static constexpr int kSampleRate = 300;
    static constexpr double kUnitsPerMillivolt = 33.0;
    static constexpr int kMinUnits = -126;
    static constexpr int kMaxUnits = 127;

    explicit SyntheticEcg(const EcgOptions& options = {});

    // Computes the next sample instant.
    void Next(EcgInstant* out);

    // The mean heart rate of the animal, beats per minute.
    double MeanHeartRate() const;
    // Instants produced so far.
    qint64 InstantCount() const { return m_nInstant; }

    // Limb lead `lead` (0 I .. 5 aVF) from integer I and II, halving toward zero, as the
    // program derives it from a 12-lead frame. Not clamped.
    static int DeriveLimbLead(int lead, int nI, int nII);

  private:
    struct Vec3 {
        double x, y, z;
    };
    struct Beat {
        double dR;        // time of the R peak, seconds
        double dScale;    // amplitude factor of this beat
        double dTStretch; // how far the T wave sits from the R peak, relative to the mean
    };

    static double Uniform(quint64& state);  // in [0, 1)
    static double Gaussian(quint64& state); // standard normal
    void ScheduleBeats(double t);
    Vec3 HeartVector(double t) const;

    EcgOptions m_options;
    // Two random streams, so that switching the noise on does not change the rhythm.
    quint64 m_nRandom;
    quint64 m_nNoiseRandom;
    qint64 m_nInstant = 0;
    double m_dMeanRr;
    double m_dBreathPeriod;

    // Beats near the current instant, oldest first: a small ring, since the waves of a beat
    // reach less than half a second from its R peak.
    static constexpr int kBeatRing = 16;
    std::array<Beat, kBeatRing> m_beats{};
    int m_nFirstBeat = 0;
    int m_nBeatCount = 0;

    // Per electrode (RA, LA, LL, V1..V6): mains hum amplitude and phase offset, and the
    // amplitudes and phases of the two wander components.
    static constexpr int kElectrodeCount = 9;
    std::array<double, kElectrodeCount> m_humAmp{};
    std::array<double, kElectrodeCount> m_humPhase{};
    std::array<double, kElectrodeCount> m_wanderAmp{};
    std::array<double, kElectrodeCount> m_wanderPhase{};
    std::array<double, kElectrodeCount> m_driftAmp{};
    std::array<double, kElectrodeCount> m_driftPhase{};
};
