// The reverb's per-sample steps in their plainest form (see ReferenceReverb.h).
#include "tests/engine/ReferenceReverb.h"

#include <cmath>

namespace {
const double kE30 = static_cast<double>(1e-30f);
const double kE20 = static_cast<double>(1e-20f);
}  // namespace

ReferenceReverb::ReferenceReverb(const CAudioTransform& engine, int inputChannels)
    : c_(engine.DerivedCoefficients()), inputChannels_(inputChannels) {
    for (int i = 0; i < kReverbLineCount; ++i) {
        const DelayMemory& m = engine.Memory(i);
        lines_[i] = Memory{std::vector<double>(m.capacity, 0.0), m.length, m.position};
    }
    const DelayMemory& p = engine.Memory(kPredelayMemory);
    predelay_ = Memory{std::vector<double>(p.capacity, 0.0), p.length, p.position};
    early_.assign(engine.Memory(kEarlyMemory).capacity, 0.0);
    earlyPosition_ = engine.Memory(kEarlyMemory).position;
}

std::vector<double> ReferenceReverb::Process(const std::vector<double>& input, int widthPercent) {
    const size_t frames = input.size() / inputChannels_;
    std::vector<double> output;
    const double g = c_.loopGain;
    auto w = [g](double k) { return (1.0 - g) * k + g; };
    const double wf = widthPercent * 0.01;
    const int mask = static_cast<int>(early_.size()) - 1;
    Memory* L = lines_;
    for (size_t f = 0; f < frames; ++f) {
        double inL, inR, s;
        if (inputChannels_ == 2) {
            inL = input[2 * f] * c_.inputGain;
            inR = input[2 * f + 1] * c_.inputGain;
            s = (inL + inR) * 0.5 + kE30;
        } else {
            s = input[f] * c_.inputGain + kE30;
            inL = inR = s;
        }
        hc_ = (s - hc_) * c_.highCut + hc_;
        ly_ = (hc_ - ly_) * c_.lowCut + lx_;
        lx_ = hc_;
        const double u = c_.lowCut != 0.0 ? (hc_ - ly_) * 0.5 + kE30 : hc_;

        double erL = 0, erR = 0;
        if (c_.earlyGain != 0.0) {
            auto B = [&](int d) { return early_[(earlyPosition_ + d) & mask]; };
            const int* dL = c_.earlyDelaysLeft;
            const int* dR = c_.earlyDelaysRight;
            const double* gL = c_.earlyGainsLeft;
            const double* gR = c_.earlyGainsRight;
            erL = (+B(dL[0]) * gL[0] + B(dL[1]) * gL[1] - B(dL[2]) * gL[2] + B(dL[3]) * gL[3] +
                   B(dL[4]) * gL[4] + B(dL[5]) * gL[5] + B(dL[6]) * gL[6]) *
                  c_.earlyGain;
            erR = (+B(dR[0]) * gR[0] - B(dR[1]) * gR[1] + B(dR[2]) * gR[2] + B(dR[3]) * gR[3] -
                   B(dR[4]) * gR[4] + B(dR[5]) * gR[5] + B(dR[6]) * gR[6] - B(dR[7]) * gR[7]) *
                  c_.earlyGain;
        }

        auto allpass = [](Memory& m, double forward, double back, double x) {
            const double y = m.data[m.position] - forward * x;
            m.data[m.position] = back * y + x;
            m.Advance();
            return y;
        };
        const double y0 = allpass(L[0], c_.c1, c_.c1, u);
        const double y1 = allpass(L[1], c_.c2, c_.c1, y0);
        early_[earlyPosition_] = y1;
        earlyPosition_ = earlyPosition_ == 0 ? mask : earlyPosition_ - 1;
        const double y2 = allpass(L[2], c_.c1, c_.c1, y1);
        const double y3 = allpass(L[3], c_.c2, c_.c1, y2);

        double q = predelay_.data[predelay_.position];
        predelay_.data[predelay_.position] = y3;
        predelay_.Advance();
        q = q + kE20;

        double a = L[11].data[L[11].position] * g;
        double t = (a - saY_) * c_.shelfCoefficient + saX_;
        saX_ = a;
        saY_ = t;
        a = a + (a + t) * c_.shelfGain;
        a = a + q;
        da_ = (a - da_) * c_.highDamping + da_;
        a = da_;
        double y = allpass(L[4], c_.t1, c_.t1, a);
        a = L[5].data[L[5].position];
        L[5].data[L[5].position] = y;
        L[5].Advance();
        a = a * g;
        y = allpass(L[6], c_.t2, c_.t2, a);
        L[7].data[L[7].position] = y;
        L[7].Advance();

        double b = L[7].data[L[7].position] * g;
        t = (b - sbY_) * c_.shelfCoefficient + sbX_;
        sbX_ = b;
        sbY_ = t;
        b = b + (b + t) * c_.shelfGain;
        b = b + q;
        db_ = (b - db_) * c_.highDamping + db_;
        b = db_;
        y = allpass(L[8], c_.t1, c_.t1, b);
        b = L[9].data[L[9].position];
        L[9].data[L[9].position] = y;
        L[9].Advance();
        b = b * g;
        y = allpass(L[10], c_.t2, c_.t2, b);
        L[11].data[L[11].position] = y;
        L[11].Advance();

        const int* aL = c_.tankTapsLeft;
        const int* aR = c_.tankTapsRight;
        const double wetL = +L[9].Read(aL[0]) - w(0.25) * L[9].Read(aL[1]) -
                            w(0.7) * L[10].Read(aL[2]) - w(0.2) * L[11].Read(aL[3]) +
                            w(0.6) * L[5].Read(aL[4]) + L[6].Read(aL[5]) +
                            w(0.5) * L[7].Read(aL[6]);
        const double wetR = +L[5].Read(aR[0]) + w(0.25) * L[5].Read(aR[1]) -
                            w(0.7) * L[6].Read(aR[2]) - w(0.2) * L[7].Read(aR[3]) -
                            w(0.6) * L[9].Read(aR[4]) + L[10].Read(aR[5]) +
                            w(0.5) * L[11].Read(aR[6]);

        const double A = wetL * c_.reverbGain + erL;
        const double B = wetR * c_.reverbGain + erR;
        const double mid = A + B;
        const double side = (A - B) * wf;
        output.push_back(inL * c_.dryGain + mid + side);
        output.push_back(inR * c_.dryGain + mid - side);
    }
    return output;
}
