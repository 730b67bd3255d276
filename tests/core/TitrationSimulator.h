#pragma once
// Titrations with a known truth. The pH after each addition is the root of the charge balance
// of the mixture (equilibria without activities); the electrode adds an offset, a slow drift,
// Gaussian noise and the rounding of its display, and the burette reading is rounded too.
#include "document/TitrationSystem.h"

#include <cmath>
#include <random>
#include <vector>

namespace vexa::sim {

// A family of acid-base species: the fully protonated form carries charge `charge`, and each
// of the pKa values removes one proton in turn (strong acids have a pKa far below 0).
struct Species {
  double concentration = 0; // mol/l in the sample
  double charge = 0;        // of the fully protonated form: 0 for HnA, +1 for BH+
  std::vector<double> pKa;
};

struct Sample {
  double volume = 50;      // V0, ml
  double strongExcess = 0; // strong cations less strong anions in the sample, mol/l
  std::vector<Species> species;
};

struct Titrant {
  double concentration = 0.1; // mol/l
  bool base = true;           // a strong base (else a strong acid)
};

struct Electrode {
  double noise = 0;     // standard deviation of a reading, pH
  double offset = 0;    // calibration offset, pH
  double drift = 0;     // pH per reading
  int digits = 2;       // shown decimals; negative: no rounding
  int volumeDigits = 2; // burette reading decimals; negative: no rounding
};

inline double Charge(const Sample& s, const Titrant& t, double v, double logH, double pKw) {
  const double h = std::pow(10.0, -logH);
  const double dilution = s.volume / (s.volume + v);
  double q = h - std::pow(10.0, logH - pKw);
  q += s.strongExcess * dilution;
  q += (t.base ? 1 : -1) * t.concentration * v / (s.volume + v);
  for (const Species& sp : s.species) {
    // Fractions of the forms with 0, 1, ... protons removed, in logarithms to stay finite.
    const std::size_t n = sp.pKa.size();
    std::vector<double> logTerm(n + 1);
    logTerm[0] = 0;
    double cumulative = 0;
    for (std::size_t j = 1; j <= n; ++j) {
      cumulative += -sp.pKa[j - 1];
      logTerm[j] = cumulative + static_cast<double>(j) * logH; // log10(K1..Kj / h^j)
    }
    double top = logTerm[0];
    for (double l : logTerm)
      top = std::max(top, l);
    double sum = 0, charged = 0;
    for (std::size_t j = 0; j <= n; ++j) {
      const double w = std::pow(10.0, logTerm[j] - top);
      sum += w;
      charged += w * (sp.charge - static_cast<double>(j));
    }
    q += sp.concentration * dilution * charged / sum;
  }
  return q;
}

// The true pH of the mixture after v ml of titrant.
inline double TruePH(const Sample& s, const Titrant& t, double v, double pKw = 14) {
  // The charge rises with the hydrogen-ion concentration: bisect on pH.
  double lo = -2, hi = pKw + 2;
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    if (Charge(s, t, v, mid, pKw) > 0)
      lo = mid; // too much positive charge: the pH is higher
    else
      hi = mid;
  }
  return (lo + hi) / 2;
}

inline double Round(double x, int digits) {
  if (digits < 0) return x;
  const double scale = std::pow(10.0, digits);
  return std::round(x * scale) / scale;
}

struct Reading {
  std::vector<double> v, pH;
};

// Readings at the given volumes.
inline Reading Titrate(const Sample& s, const Titrant& t, const std::vector<double>& volumes,
                       const Electrode& e, std::mt19937_64& rng, double pKw = 14) {
  std::normal_distribution<double> gauss(0, 1);
  Reading r;
  for (std::size_t i = 0; i < volumes.size(); ++i) {
    const double v = volumes[i];
    double p = TruePH(s, t, v, pKw) + e.offset + e.drift * static_cast<double>(i);
    if (e.noise > 0) p += e.noise * gauss(rng);
    r.v.push_back(Round(v, e.volumeDigits));
    r.pH.push_back(Round(p, e.digits));
  }
  return r;
}

// Volumes from `from` to `to` in equal steps.
inline std::vector<double> Steps(double from, double to, double step) {
  std::vector<double> v;
  for (int i = 0;; ++i) {
    const double x = from + step * i;
    if (x > to + 1e-9) break;
    v.push_back(x);
  }
  return v;
}

inline void Load(TitrationSystem& sys, const Reading& r, double v0, double cTit, double pKw = 14) {
  sys.initialVolume = v0;
  sys.cTit = cTit;
  sys.pKw = pKw;
  sys.pointCount = static_cast<int>(r.v.size());
  sys.AllocatePointArrays();
  for (std::size_t i = 0; i < r.v.size(); ++i) {
    sys.volume[static_cast<int>(i)] = r.v[i];
    sys.pH[static_cast<int>(i)] = r.pH[i];
  }
  sys.RecomputeLinearised();
}

// A random titration of one of four kinds with its true equivalence volume.
struct Random {
  Sample sample;
  Titrant titrant;
  std::vector<double> volumes;
  Electrode electrode;
  double veq = 0;
  int kind = 0; // 0 strong acid, 1 strong base, 2 weak acid, 3 weak base
};

inline Random RandomTitration(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(0, 1);
  auto between = [&](double a, double b) { return a + (b - a) * u(rng); };
  Random r;
  r.kind = static_cast<int>(u(rng) * 4) % 4;
  r.sample.volume = between(20, 100);
  r.titrant.concentration = between(0.02, 0.2);
  r.veq = between(5, 25);
  const double moles = r.veq * r.titrant.concentration / r.sample.volume; // mol/l in the sample
  switch (r.kind) {
  case 0: // a strong acid: its anion is a strong anion
    r.sample.strongExcess = -moles;
    r.titrant.base = true;
    break;
  case 1:
    r.sample.strongExcess = moles;
    r.titrant.base = false;
    break;
  case 2:
    r.sample.species.push_back({moles, 0, {between(3.5, 6.5)}});
    r.titrant.base = true;
    break;
  default:
    r.sample.species.push_back({moles, 1, {between(7.5, 10.5)}});
    r.titrant.base = false;
    break;
  }
  const double step = r.veq * between(0.02, 0.08);
  r.volumes = Steps(0, r.veq * between(1.5, 2.0), step);
  r.electrode.noise = between(0.002, 0.02);
  r.electrode.offset = between(-0.1, 0.1);
  r.electrode.drift = between(-0.0003, 0.0003);
  r.electrode.digits = u(rng) < 0.5 ? 2 : 3;
  r.electrode.volumeDigits = 2;
  return r;
}

} // namespace vexa::sim
