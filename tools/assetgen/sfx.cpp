#include "sfx.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace lum::sfx {

namespace {

constexpr double kPi = 3.14159265358979323846;

enum class Wave { sine, square, saw, tri, pulse25 };

class Rng {
  public:
    explicit Rng(uint64_t s) : s_(s | 1) {}
    double next() {  // -1..1
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return static_cast<double>(s_ >> 11) / 4503599627370496.0 - 1.0;
    }
    double unit() { return (next() + 1) / 2; }

  private:
    uint64_t s_;
};

// Envelope: attack, then an exponential-ish decay to zero at the end of the layer.
double envelope(double t, double dur, double attack, double curve) {
    if (t < 0 || t >= dur) return 0;
    double a = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    double rest = std::max(1e-9, dur - attack);
    double d = t < attack ? 1.0 : 1.0 - (t - attack) / rest;
    return a * std::pow(std::max(0.0, d), curve);
}

double osc(Wave w, double phase) {
    double p = phase - std::floor(phase);
    switch (w) {
        case Wave::sine:
            return std::sin(2 * kPi * p);
        case Wave::square:
            return p < 0.5 ? 0.8 : -0.8;
        case Wave::pulse25:
            return p < 0.25 ? 0.8 : -0.8;
        case Wave::saw:
            return 2 * p - 1;
        case Wave::tri:
            return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    }
    return 0;
}

struct Tone {
    double start = 0, dur = 0.2, f0 = 440, f1 = 440;
    Wave wave = Wave::sine;
    double amp = 0.5, attack = 0.005, curve = 1.5;
    double pan = 0;                      // -1 left .. 1 right
    double vib_rate = 0, vib_depth = 0;  // depth in fraction of the frequency
    bool exp_sweep = true;
};

struct Noise {
    double start = 0, dur = 0.2, amp = 0.5, attack = 0.002, curve = 1.5;
    double cut0 = 4000, cut1 = 4000;  // low-pass cut-off sweep, Hz
    double high = 0;                  // high-pass cut-off, Hz (0 = none)
    double pan = 0;
    double crackle = 0;  // chance per sample of a spike
};

class Voice {
  public:
    Voice(const WaveFormat& f, double seconds, uint64_t seed)
        : rate_(f.rate),
          stereo_(f.channels == 2),
          n_(static_cast<size_t>(seconds * f.rate)),
          l_(n_, 0.0),
          r_(n_, 0.0),
          rng_(seed) {}

    double rate() const { return rate_; }
    Rng& rng() { return rng_; }

    void tone(const Tone& t) {
        double phase = 0;
        size_t a = static_cast<size_t>(t.start * rate_),
               b = std::min(n_, static_cast<size_t>((t.start + t.dur) * rate_));
        for (size_t i = a; i < b; ++i) {
            double lt = (i - a) / rate_, x = lt / t.dur;
            double f = t.exp_sweep ? t.f0 * std::pow(t.f1 / t.f0, x) : t.f0 + (t.f1 - t.f0) * x;
            if (t.vib_depth > 0) f *= 1 + t.vib_depth * std::sin(2 * kPi * t.vib_rate * lt);
            f = std::min(f, rate_ * 0.45);
            phase += f / rate_;
            put(i, osc(t.wave, phase) * t.amp * envelope(lt, t.dur, t.attack, t.curve), t.pan);
        }
    }

    void noise(const Noise& nz) {
        double lp = 0, lp2 = 0, hp_prev_in = 0, hp = 0;
        size_t a = static_cast<size_t>(nz.start * rate_),
               b = std::min(n_, static_cast<size_t>((nz.start + nz.dur) * rate_));
        for (size_t i = a; i < b; ++i) {
            double lt = (i - a) / rate_, x = lt / nz.dur;
            double cut = nz.cut0 * std::pow(nz.cut1 / nz.cut0, x);
            double k = 1 - std::exp(-2 * kPi * std::min(cut, rate_ * 0.45) / rate_);
            double v = rng_.next();
            if (nz.crackle > 0 && rng_.unit() < nz.crackle) v *= 6;
            lp += k * (v - lp);
            lp2 += k * (lp - lp2);
            double out = lp2;
            if (nz.high > 0) {
                double rc = 1 / (2 * kPi * nz.high), dt = 1 / rate_, al = rc / (rc + dt);
                hp = al * (hp + out - hp_prev_in);
                hp_prev_in = out;
                out = hp;
            }
            put(i, out * nz.amp * 2.2 * envelope(lt, nz.dur, nz.attack, nz.curve), nz.pan);
        }
    }

    // Feedback echo; in stereo the repeats bounce from side to side.
    void echo(double delay, double feedback, double wet) {
        size_t d = static_cast<size_t>(delay * rate_);
        if (d == 0) return;
        std::vector<double> el(n_, 0.0), er(n_, 0.0);
        for (size_t i = d; i < n_; ++i) {
            el[i] = (stereo_ ? r_[i - d] + er[i - d] : l_[i - d] + el[i - d]) * feedback;
            er[i] = (stereo_ ? l_[i - d] + el[i - d] : r_[i - d] + er[i - d]) * feedback;
        }
        for (size_t i = 0; i < n_; ++i) l_[i] += el[i] * wet, r_[i] += er[i] * wet;
    }

    void crush(int levels) {
        for (size_t i = 0; i < n_; ++i) {
            l_[i] = std::round(l_[i] * levels) / levels;
            r_[i] = std::round(r_[i] * levels) / levels;
        }
    }

    std::vector<float> finish() {
        // Bring every effect to a similar loudness without clipping, then fade the last few
        // milliseconds so the sound never ends on a click.
        double peak = 1e-9, sum = 0;
        for (size_t i = 0; i < n_; ++i) {
            peak = std::max({peak, std::abs(l_[i]), std::abs(r_[i])});
            sum += (l_[i] * l_[i] + r_[i] * r_[i]) / 2;
        }
        double rms = std::sqrt(sum / std::max<size_t>(1, n_)) + 1e-9;
        double g = std::min(0.89 / peak, 0.25 / rms);
        size_t fade = std::min(n_, static_cast<size_t>(rate_ * 0.008));
        std::vector<float> out;
        out.reserve(n_ * (stereo_ ? 2 : 1));
        for (size_t i = 0; i < n_; ++i) {
            double f = i + fade >= n_ ? static_cast<double>(n_ - i) / fade : 1.0;
            if (stereo_) {
                out.push_back(static_cast<float>(l_[i] * g * f));
                out.push_back(static_cast<float>(r_[i] * g * f));
            } else {
                out.push_back(static_cast<float>((l_[i] + r_[i]) * 0.5 * g * f));
            }
        }
        return out;
    }

  private:
    void put(size_t i, double v, double pan) {
        double p = (pan + 1) / 2;
        l_[i] += v * std::cos(p * kPi / 2) * 1.414;
        r_[i] += v * std::sin(p * kPi / 2) * 1.414;
    }

    double rate_;
    bool stereo_;
    size_t n_;
    std::vector<double> l_, r_;
    Rng rng_;
};

double note(int semis_from_a4) {
    return 440.0 * std::pow(2.0, semis_from_a4 / 12.0);
}

using Score = std::function<void(Voice&)>;

struct Design {
    double seconds;
    Score score;
};

const std::map<std::string, Design>& designs() {
    static const std::map<std::string, Design> d = {
        {"on1",
         {0.16,
          [](Voice& v) {
              v.tone({0, 0.05, 1318, 1318, Wave::square, 0.35, 0.002, 1.2});
              v.tone({0.045, 0.11, 1760, 1760, Wave::square, 0.35, 0.002, 2.0});
              v.tone({0.045, 0.11, 3520, 3520, Wave::sine, 0.12, 0.002, 3.0});
          }}},
        {"foot",
         {0.09,
          [](Voice& v) {
              v.noise({0, 0.07, 0.6, 0.001, 2.5, 1400, 300});
              v.tone({0, 0.06, 180, 70, Wave::sine, 0.5, 0.001, 2.0});
          }}},
        {"walk",
         {0.34,
          [](Voice& v) {
              for (int i = 0; i < 2; ++i) {
                  double s = i * 0.17;
                  v.noise({s, 0.09, 0.55, 0.002, 2.0, 2200, 400, 0, i ? 0.3 : -0.3});
                  v.tone({s, 0.07, 160.0 - i * 20, 70, Wave::sine, 0.45, 0.001, 2.0});
              }
          }}},
        {"warp",
         {0.9,
          [](Voice& v) {
              Tone t{0, 0.55, 180, 2400, Wave::sine, 0.5, 0.02, 0.8, -0.6, 18, 0.06};
              v.tone(t);
              t.wave = Wave::tri, t.f0 = 360, t.f1 = 4800, t.amp = 0.25, t.pan = 0.6;
              v.tone(t);
              v.noise({0, 0.6, 0.2, 0.3, 1.0, 800, 9000, 2000});
              v.echo(0.09, 0.45, 0.7);
          }}},
        {"punch",
         {0.26,
          [](Voice& v) {
              v.noise({0, 0.12, 0.8, 0.001, 2.0, 3000, 400});
              v.tone({0, 0.2, 140, 45, Wave::sine, 0.9, 0.001, 1.8});
              v.tone({0, 0.03, 900, 300, Wave::square, 0.25, 0.0, 1.0});
          }}},
        {"ken",
         {0.6,
          [](Voice& v) {
              v.noise({0, 0.22, 0.7, 0.08, 1.2, 1500, 9000, 1200});
              v.tone({0.12, 0.45, 2480, 2440, Wave::sine, 0.25, 0.001, 2.5});
              v.tone({0.12, 0.4, 3710, 3690, Wave::sine, 0.18, 0.001, 3.0});
              v.tone({0.12, 0.35, 5230, 5200, Wave::sine, 0.1, 0.001, 3.0});
          }}},
        {"lezer",
         {0.5,
          [](Voice& v) {
              v.tone({0, 0.28, 2200, 260, Wave::square, 0.45, 0.001, 1.2, -0.4});
              v.tone({0, 0.28, 2230, 265, Wave::pulse25, 0.25, 0.001, 1.2, 0.4});
              v.echo(0.07, 0.4, 0.6);
          }}},
        {"gun",
         {0.45,
          [](Voice& v) {
              v.noise({0, 0.05, 1.0, 0.0, 1.0, 6000, 3000});
              v.noise({0.01, 0.4, 0.7, 0.002, 2.5, 900, 120});
              v.tone({0, 0.25, 110, 40, Wave::sine, 0.8, 0.0, 2.0});
              v.crush(24);
          }}},
        {"awa",
         {0.9,
          [](Voice& v) {
              for (int i = 0; i < 9; ++i) {
                  double s = i * 0.07 + v.rng().unit() * 0.03;
                  double f = 500 + v.rng().unit() * 900;
                  v.tone({s, 0.09, f, f * 2.2, Wave::sine, 0.4, 0.002, 1.5, v.rng().next() * 0.8});
              }
              for (int i = 0; i < 5; ++i)
                  v.tone({0.3 + i * 0.08, 0.3, note(27 + i * 4), note(27 + i * 4), Wave::sine, 0.12,
                          0.005, 2.5, (i % 2) ? 0.5 : -0.5});
              v.echo(0.11, 0.35, 0.5);
          }}},
        {"magic",
         {1.0,
          [](Voice& v) {
              int chord[] = {3, 7, 10, 15, 19, 22, 27};
              for (int i = 0; i < 7; ++i)
                  v.tone({i * 0.06, 0.5, note(chord[i] + 12), note(chord[i] + 12), Wave::tri, 0.3,
                          0.004, 2.0, (i % 2) ? 0.6 : -0.6, 6, 0.01});
              v.noise({0, 0.7, 0.12, 0.2, 1.0, 6000, 6000, 4000});
              v.echo(0.12, 0.4, 0.55);
          }}},
        {"gii",
         {0.7,
          [](Voice& v) {
              v.tone({0, 0.65, 320, 250, Wave::saw, 0.5, 0.03, 0.7, 0, 23, 0.12});
              v.tone({0, 0.65, 480, 370, Wave::square, 0.25, 0.05, 0.7, 0, 17, 0.1});
              v.noise({0, 0.6, 0.2, 0.1, 1.0, 3000, 3000, 1500});
              v.crush(12);
          }}},
        {"ankoku",
         {1.1,
          [](Voice& v) {
              v.noise({0, 0.5, 0.5, 0.45, 0.3, 200, 2500});
              v.tone({0.35, 0.75, 55, 48, Wave::saw, 0.6, 0.01, 1.2, -0.3});
              v.tone({0.35, 0.75, 58.3, 50, Wave::saw, 0.6, 0.01, 1.2, 0.3});
              v.tone({0.35, 0.7, 82, 72, Wave::square, 0.3, 0.01, 1.5});
              v.echo(0.16, 0.3, 0.5);
          }}},
        {"binta",
         {0.18,
          [](Voice& v) {
              v.noise({0, 0.06, 1.0, 0.0, 2.0, 9000, 5000, 1500});
              v.tone({0, 0.05, 600, 250, Wave::sine, 0.5, 0.0, 2.0});
          }}},
        {"dance",
         {0.9,
          [](Voice& v) {
              for (int i = 0; i < 6; ++i)
                  v.noise(
                      {i * 0.12, 0.1, 0.45, 0.001, 2.0, 9000, 9000, 5000, (i % 2) ? 0.6 : -0.6});
              int mel[] = {7, 11, 14, 19};
              for (int i = 0; i < 4; ++i)
                  v.tone({0.12 + i * 0.12, 0.25, note(mel[i] + 12), note(mel[i] + 12), Wave::tri,
                          0.35, 0.003, 2.0});
              v.echo(0.12, 0.25, 0.4);
          }}},
        {"dragon",
         {1.3,
          [](Voice& v) {
              Noise n{0, 1.2, 0.8, 0.15, 0.8, 700, 300};
              v.noise(n);
              v.tone({0, 1.2, 95, 55, Wave::saw, 0.6, 0.12, 0.8, 0, 31, 0.09});
              v.tone({0, 1.1, 142, 80, Wave::square, 0.25, 0.15, 1.0, 0, 27, 0.07});
              v.echo(0.2, 0.3, 0.5);
          }}},
        {"fier",
         {1.3,
          [](Voice& v) {
              int mel[] = {7, 3, 2, -2};
              for (int i = 0; i < 4; ++i)
                  v.tone({i * 0.26, 0.5, note(mel[i] + 12), note(mel[i] + 12) * 0.985, Wave::sine,
                          0.45, 0.04, 1.2, (i % 2) ? 0.4 : -0.4, 5.5, 0.012});
              v.echo(0.18, 0.4, 0.55);
          }}},
        {"fire",
         {0.9,
          [](Voice& v) {
              v.noise({0, 0.85, 0.8, 0.12, 1.0, 400, 3500, 0, -0.2, 0.004});
              v.noise({0.05, 0.8, 0.4, 0.2, 1.2, 2500, 800, 600, 0.3, 0.01});
              v.tone({0, 0.4, 90, 200, Wave::saw, 0.2, 0.1, 1.0});
          }}},
        {"hihou",
         {0.8,
          [](Voice& v) {
              v.noise({0, 0.75, 0.8, 0.3, 1.0, 500, 5000, 300});
              v.tone({0, 0.7, 300, 900, Wave::sine, 0.2, 0.2, 1.0, 0, 4, 0.05});
          }}},
        {"hosi",
         {1.2,
          [](Voice& v) {
              for (int i = 0; i < 12; ++i) {
                  double s = i * 0.07 + v.rng().unit() * 0.03;
                  int k = 24 + static_cast<int>(v.rng().unit() * 14);
                  v.tone({s, 0.2, note(k), note(k), Wave::sine, 0.3, 0.001, 3.0, v.rng().next()});
              }
              v.echo(0.15, 0.45, 0.6);
          }}},
        {"miss",
         {0.42,
          [](Voice& v) {
              v.tone({0, 0.38, 620, 170, Wave::square, 0.45, 0.003, 0.8, 0, 12, 0.04});
              v.crush(16);
          }}},
        {"sander",
         {1.4,
          [](Voice& v) {
              v.noise({0, 0.08, 1.0, 0.0, 1.5, 9000, 4000, 800});
              v.noise({0.04, 1.3, 0.9, 0.05, 1.8, 900, 120});
              v.tone({0, 0.1, 1800, 300, Wave::saw, 0.3, 0.0, 1.5});
          }}},
        {"taberu",
         {0.55,
          [](Voice& v) {
              for (int i = 0; i < 3; ++i) {
                  v.noise({i * 0.17, 0.09, 0.6, 0.005, 1.5, 1800, 600});
                  v.tone({i * 0.17, 0.08, 320, 180, Wave::tri, 0.4, 0.005, 1.5});
              }
          }}},
        {"warau",
         {0.8,
          [](Voice& v) {
              for (int i = 0; i < 4; ++i) {
                  double s = i * 0.17, f = 260 - i * 18;
                  v.tone({s, 0.13, f * 1.05, f, Wave::pulse25, 0.45, 0.01, 1.0});
                  v.tone({s, 0.13, f * 3.1, f * 3.0, Wave::sine, 0.2, 0.01, 1.0});
                  v.noise({s, 0.05, 0.15, 0.005, 1.0, 4000, 4000, 1500});
              }
          }}},
        {"woon",
         {1.0,
          [](Voice& v) {
              v.tone({0, 0.95, 110, 150, Wave::saw, 0.5, 0.25, 0.6, -0.7, 0.0, 0.0, false});
              v.tone({0, 0.95, 112, 154, Wave::saw, 0.5, 0.25, 0.6, 0.7, 0.0, 0.0, false});
              v.tone({0, 0.95, 220, 300, Wave::sine, 0.3, 0.3, 0.6, 0, 7, 0.02, false});
          }}},
        {"at1",
         {0.8,
          [](Voice& v) {
              v.tone({0, 0.45, 1600, 200, Wave::sine, 0.5, 0.01, 1.0, 0.5, 20, 0.03});
              v.tone({0.35, 0.4, note(15), note(15), Wave::square, 0.25, 0.005, 2.0, -0.4});
              v.tone({0.45, 0.35, note(22), note(22), Wave::square, 0.25, 0.005, 2.0, 0.4});
              v.echo(0.1, 0.3, 0.5);
          }}},
        {"die",
         {0.8,
          [](Voice& v) {
              v.tone({0, 0.75, 420, 55, Wave::square, 0.5, 0.002, 1.0, 0, 9, 0.05});
              v.noise({0, 0.4, 0.4, 0.002, 2.0, 1500, 300});
          }}},
        {"lvup",
         {1.1,
          [](Voice& v) {
              int mel[] = {3, 7, 10, 15};
              for (int i = 0; i < 4; ++i) {
                  double s = i * 0.09, d = i == 3 ? 0.7 : 0.12;
                  v.tone({s, d, note(mel[i] + 12), note(mel[i] + 12), Wave::square, 0.3, 0.003,
                          i == 3 ? 1.5 : 0.5, -0.3});
                  v.tone({s, d, note(mel[i] + 24), note(mel[i] + 24), Wave::tri, 0.2, 0.003, 1.5,
                          0.3});
              }
              v.tone({0.27, 0.7, note(10), note(10), Wave::tri, 0.25, 0.01, 1.5});
              v.echo(0.1, 0.25, 0.35);
          }}},
        {"item",
         {0.6,
          [](Voice& v) {
              v.tone({0, 0.3, note(19), note(19), Wave::sine, 0.5, 0.002, 2.5});
              v.tone({0, 0.3, note(19) * 2.76, note(19) * 2.76, Wave::sine, 0.12, 0.002, 3.5});
              v.tone({0.1, 0.48, note(26), note(26), Wave::sine, 0.5, 0.002, 2.5});
              v.tone({0.1, 0.48, note(26) * 2.76, note(26) * 2.76, Wave::sine, 0.12, 0.002, 3.5});
          }}},
        {"mowa",
         {0.9,
          [](Voice& v) {
              v.tone({0, 0.85, 300, 600, Wave::sine, 0.5, 0.15, 1.0, -0.5, 6, 0.08});
              v.tone({0, 0.85, 450, 900, Wave::sine, 0.3, 0.2, 1.0, 0.5, 5, 0.08});
              v.noise({0, 0.8, 0.15, 0.3, 1.0, 1200, 1200, 500});
              v.echo(0.13, 0.35, 0.5);
          }}},
        {"next",
         {0.3,
          [](Voice& v) {
              for (int i = 0; i < 3; ++i)
                  v.tone({i * 0.06, 0.08, note(15 + i * 5), note(15 + i * 5), Wave::square, 0.4,
                          0.002, 1.0});
          }}},
        {"off1",
         {0.3,
          [](Voice& v) {
              v.tone({0, 0.1, 200, 190, Wave::square, 0.45, 0.002, 0.4});
              v.tone({0.13, 0.15, 150, 140, Wave::square, 0.45, 0.002, 0.6});
          }}},
        {"pi",
         {0.07,
          [](Voice& v) {
              v.tone({0, 0.065, 1046, 1046, Wave::square, 0.4, 0.001, 0.5});
          }}},
        {"hakai",
         {1.0,
          [](Voice& v) {
              v.noise({0, 0.1, 1.0, 0.0, 1.0, 9000, 6000, 2000});
              for (int i = 0; i < 14; ++i) {
                  double s = 0.02 + v.rng().unit() * 0.5, f = 2500 + v.rng().unit() * 4000;
                  v.tone({s, 0.12 + v.rng().unit() * 0.2, f, f * 0.98, Wave::sine, 0.2, 0.0, 3.0});
              }
              v.tone({0, 0.3, 200, 50, Wave::sine, 0.5, 0.0, 2.0});
          }}},
    };
    return d;
}

}  // namespace

const std::vector<std::string>& voices() {
    static const std::vector<std::string> v = [] {
        std::vector<std::string> out;
        for (auto& [name, d] : designs()) out.push_back(name);
        return out;
    }();
    return v;
}

std::vector<float> render(const std::string& voice, const WaveFormat& f, uint64_t seed) {
    const Design& d = designs().at(voice);
    Voice v(f, d.seconds, seed);
    d.score(v);
    return v.finish();
}

}  // namespace lum::sfx
