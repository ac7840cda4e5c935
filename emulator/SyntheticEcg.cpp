#include "SyntheticEcg.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using std::numbers::pi;

struct Wave {
    double dt;             // centre relative to the R peak, seconds (the T wave stretches)
    double sigma;          // width, seconds
    double x, y, z;        // the wave's vector at its peak, millivolts
    bool bStretch = false; // follows the beat's repolarisation timing
};

struct AnimalProfile {
    double heartRate;    // beats per minute
    double breathPeriod; // seconds
    double rrSwing;      // respiratory change of the beat interval, relative
    double rrJitter;     // random change of the beat interval, relative
    std::array<Wave, 5> waves;
};

// A dog: mean axis about +70 degrees, R about 2 mV in II. A cat: smaller, faster, narrower.
constexpr AnimalProfile kDog = {120.0,
                                3.0,
                                0.04,
                                0.015,
                                {{{-0.095, 0.013, 0.14, 0.20, 0.05},
                                  {-0.024, 0.007, -0.10, -0.28, 0.10},
                                  {0.0, 0.0095, 0.72, 1.97, -0.60},
                                  {0.024, 0.008, -0.06, -0.34, -0.20},
                                  {0.165, 0.032, 0.20, 0.20, 0.15, true}}}};
constexpr AnimalProfile kCat = {180.0,
                                2.2,
                                0.02,
                                0.012,
                                {{{-0.075, 0.010, 0.06, 0.10, 0.02},
                                  {-0.018, 0.005, -0.03, -0.08, 0.03},
                                  {0.0, 0.007, 0.19, 0.72, -0.20},
                                  {0.018, 0.006, -0.02, -0.08, -0.05},
                                  {0.125, 0.022, 0.06, 0.10, 0.05, true}}}};

const AnimalProfile& Profile(Animal a) {
    return a == Animal::Cat ? kCat : kDog;
}

// Electrode directions as the dipole sees them. The limb electrodes form an equilateral
// triangle around the heart (so their mean is zero, and so is Wilson's terminal for the heart's
// part); the chest electrodes lie around the chest from the right (V1) to the left side (V6).
constexpr double kSqrt3 = 1.7320508075688772;
constexpr std::array<double, 3> kLimbDir[3] = {
    {-0.5, -kSqrt3 / 6.0, 0.0}, // RA
    {0.5, -kSqrt3 / 6.0, 0.0},  // LA
    {0.0, kSqrt3 / 3.0, 0.0},   // LL
};
constexpr double kChestAngleDeg[kChestChannelCount] = {120.0, 100.0, 80.0, 60.0, 30.0, 0.0};
constexpr double kChestTilt = 0.15;
constexpr double kChestGain = 1.5; // the chest electrodes sit closer to the heart

constexpr double kNoiseMv = 0.015;
constexpr double kHumHz = 50.0;
constexpr double kDriftHz = 0.07;

int Quantise(double mv) {
    const long v = std::lround(mv * SyntheticEcg::kUnitsPerMillivolt);
    return int(std::clamp<long>(v, SyntheticEcg::kMinUnits, SyntheticEcg::kMaxUnits));
}

} // namespace

SyntheticEcg::SyntheticEcg(const EcgOptions& options)
    : m_options(options), m_nRandom(options.nSeed), m_nNoiseRandom(~options.nSeed),
      m_dMeanRr(60.0 / Profile(options.animal).heartRate),
      m_dBreathPeriod(Profile(options.animal).breathPeriod) {
    for (int e = 0; e < kElectrodeCount; ++e) {
        m_humAmp[e] = 0.03 + 0.09 * Uniform(m_nRandom);
        m_humPhase[e] = 0.3 * Uniform(m_nRandom);
        m_wanderAmp[e] = (Uniform(m_nRandom) * 2.0 - 1.0) * 0.12;
        m_wanderPhase[e] = 2.0 * pi * Uniform(m_nRandom);
        m_driftAmp[e] = 0.10 * Uniform(m_nRandom);
        m_driftPhase[e] = 2.0 * pi * Uniform(m_nRandom);
    }
    // The first beat falls anywhere within one interval before the start.
    m_beats[0] = {-Uniform(m_nRandom) * m_dMeanRr, 1.0, 1.0};
    m_nBeatCount = 1;
}

double SyntheticEcg::MeanHeartRate() const {
    return Profile(m_options.animal).heartRate;
}

double SyntheticEcg::Uniform(quint64& state) {
    // SplitMix64: small, fast and the same on every platform.
    quint64 z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
}

double SyntheticEcg::Gaussian(quint64& state) {
    const double u1 = 1.0 - Uniform(state); // in (0, 1]
    const double u2 = Uniform(state);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * pi * u2);
}

void SyntheticEcg::ScheduleBeats(double t) {
    const AnimalProfile& p = Profile(m_options.animal);
    // Beats whose waves have died out leave; beats whose waves may reach `t` come in.
    while (m_nBeatCount > 1 && m_beats[(m_nFirstBeat + 1) % kBeatRing].dR < t - 0.6) {
        m_nFirstBeat = (m_nFirstBeat + 1) % kBeatRing;
        --m_nBeatCount;
    }
    while (m_nBeatCount < kBeatRing) {
        const Beat& last = m_beats[(m_nFirstBeat + m_nBeatCount - 1) % kBeatRing];
        if (last.dR > t + 0.6)
            break;
        const double breath = std::sin(2.0 * pi * last.dR / m_dBreathPeriod);
        const double jitter = std::clamp(Gaussian(m_nRandom), -2.0, 2.0);
        const double rr = m_dMeanRr * (1.0 - p.rrSwing * breath + p.rrJitter * jitter);
        Beat next;
        next.dR = last.dR + rr;
        next.dScale = 1.0 + 0.03 * breath + 0.01 * std::clamp(Gaussian(m_nRandom), -2.0, 2.0);
        next.dTStretch = std::sqrt(rr / m_dMeanRr);
        m_beats[(m_nFirstBeat + m_nBeatCount) % kBeatRing] = next;
        ++m_nBeatCount;
    }
}

SyntheticEcg::Vec3 SyntheticEcg::HeartVector(double t) const {
    Vec3 v{0.0, 0.0, 0.0};
    for (int i = 0; i < m_nBeatCount; ++i) {
        const Beat& b = m_beats[(m_nFirstBeat + i) % kBeatRing];
        for (const Wave& w : Profile(m_options.animal).waves) {
            const double centre = b.dR + (w.bStretch ? w.dt * b.dTStretch : w.dt);
            const double u = (t - centre) / w.sigma;
            if (u < -6.0 || u > 6.0)
                continue;
            const double g = b.dScale * std::exp(-0.5 * u * u);
            v.x += g * w.x;
            v.y += g * w.y;
            v.z += g * w.z;
        }
    }
    return v;
}

void SyntheticEcg::Next(EcgInstant* out) {
    const double t = double(m_nInstant) / kSampleRate;
    ++m_nInstant;
    ScheduleBeats(t);
    const Vec3 h = HeartVector(t);

    // Potentials of RA, LA, LL and the six chest electrodes.
    std::array<double, kElectrodeCount> phi{};
    for (int e = 0; e < 3; ++e)
        phi[e] = h.x * kLimbDir[e][0] + h.y * kLimbDir[e][1] + h.z * kLimbDir[e][2];
    for (int k = 0; k < kChestChannelCount; ++k) {
        const double a = kChestAngleDeg[k] * pi / 180.0;
        phi[3 + k] = kChestGain * (h.x * std::cos(a) + h.y * kChestTilt + h.z * std::sin(a));
    }
    for (int e = 0; e < kElectrodeCount; ++e) {
        if (m_options.bNoise)
            phi[e] += kNoiseMv * Gaussian(m_nNoiseRandom);
        if (m_options.bHum)
            phi[e] += m_humAmp[e] * std::sin(2.0 * pi * kHumHz * t + m_humPhase[e]);
        if (m_options.bWander)
            phi[e] += m_wanderAmp[e] * std::sin(2.0 * pi * t / m_dBreathPeriod + m_wanderPhase[e]) +
                      m_driftAmp[e] * std::sin(2.0 * pi * kDriftHz * t + m_driftPhase[e]);
    }

    const double ra = phi[0], la = phi[1], ll = phi[2];
    const double wilson = (ra + la + ll) / 3.0;
    std::array<double, kEcgChannelCount>& s = out->source;
    s[kChI] = la - ra;
    s[kChII] = ll - ra;
    s[kChIII] = ll - la;
    s[kChaVR] = ra - (la + ll) / 2.0;
    s[kChaVL] = la - (ra + ll) / 2.0;
    s[kChaVF] = ll - (ra + la) / 2.0;
    for (int k = 0; k < kChestChannelCount; ++k)
        s[kChV1 + k] = phi[3 + k] - wilson;

    std::array<int, kEcgChannelCount>& u = out->units;
    u[kChI] = Quantise(s[kChI]);
    u[kChII] = Quantise(s[kChII]);
    for (int lead = kChIII; lead <= kChaVF; ++lead)
        u[lead] = std::clamp(DeriveLimbLead(lead, u[kChI], u[kChII]), kMinUnits, kMaxUnits);
    for (int k = 0; k < kChestChannelCount; ++k)
        u[kChV1 + k] = Quantise(s[kChV1 + k]);
}

int SyntheticEcg::DeriveLimbLead(int lead, int nI, int nII) {
    const int nIII = nII - nI;
    switch (lead) {
    case kChI:
        return nI;
    case kChII:
        return nII;
    case kChIII:
        return nIII;
    case kChaVR:
        return -((nI + nII) / 2);
    case kChaVL:
        return (nI - nIII) / 2;
    case kChaVF:
        return (nII + nIII) / 2;
    default:
        return 0;
    }
}
