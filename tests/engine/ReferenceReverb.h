// The reverb's per-sample steps transcribed plainly (wrapped indexes, no optimisation), against
// which the engine's loop is checked bit for bit, with its coefficients and memories of its own.
#pragma once

#include <vector>

#include "engine/AudioTransform.h"

class ReferenceReverb {
public:
    // Copies the coefficients and active lengths of a streaming engine; starts from silence.
    ReferenceReverb(const CAudioTransform& engine, int inputChannels)
        : c_(engine.DerivedCoefficients()), inputChannels_(inputChannels) {
        auto copy = [&engine](int index, bool whole) {
            const DelayMemory& m = engine.Memory(index);
            return Memory{std::vector<double>(m.capacity, 0.0), whole ? m.capacity : m.length,
                          m.position};
        };
        for (int i = 0; i < kReverbLineCount; ++i) lines_[i] = copy(i, false);
        predelay_ = copy(kPredelayMemory, false);
        early_ = copy(kEarlyMemory, true);
    }

    // Interleaved input (inputChannels wide) to interleaved stereo output, widthPercent as set.
    std::vector<double> Process(const std::vector<double>& input, int widthPercent) {
        const size_t frames = input.size() / inputChannels_;
        std::vector<double> output;
        const double g = c_.loopGain, widthFactor = widthPercent * 0.01;
        auto w = [g](double k) { return (1.0 - g) * k + g; };
        // y = M - forward x; M := back y + x; then the line moves on.
        auto allpass = [](Memory& m, double forward, double back, double x) {
            const double y = m.Now() - forward * x;
            m.Now() = back * y + x;
            m.Advance();
            return y;
        };
        // Delay line: the sample written now comes back length frames later.
        auto delay = [](Memory& m, double x) {
            const double y = m.Now();
            m.Now() = x;
            m.Advance();
            return y;
        };
        // Low shelf, the predelayed input, and one-pole damping at the head of a tank half.
        auto head = [this](double x, double& shelfIn, double& shelfOut, double& damp, double q) {
            const double t = (x - shelfOut) * c_.shelfCoefficient + shelfIn;
            shelfIn = x;
            shelfOut = t;
            x = x + (x + t) * c_.shelfGain;
            x = x + q;
            damp = (x - damp) * c_.highDamping + damp;
            return damp;
        };
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
                auto e = [this](int d) { return early_.Read(d); };
                const int* dL = c_.earlyDelaysLeft;
                const int* dR = c_.earlyDelaysRight;
                const double* gL = c_.earlyGainsLeft;
                const double* gR = c_.earlyGainsRight;
                erL = (+e(dL[0]) * gL[0] + e(dL[1]) * gL[1] - e(dL[2]) * gL[2] + e(dL[3]) * gL[3] +
                       e(dL[4]) * gL[4] + e(dL[5]) * gL[5] + e(dL[6]) * gL[6]) *
                      c_.earlyGain;
                erR = (+e(dR[0]) * gR[0] - e(dR[1]) * gR[1] + e(dR[2]) * gR[2] + e(dR[3]) * gR[3] -
                       e(dR[4]) * gR[4] + e(dR[5]) * gR[5] + e(dR[6]) * gR[6] - e(dR[7]) * gR[7]) *
                      c_.earlyGain;
            }

            const double y1 = allpass(L[1], c_.c2, c_.c1, allpass(L[0], c_.c1, c_.c1, u));
            delay(early_, y1);
            const double y3 = allpass(L[3], c_.c2, c_.c1, allpass(L[2], c_.c1, c_.c1, y1));
            const double q = delay(predelay_, y3) + kE20;

            // Half A is fed from the end of half B, half B from the end of half A.
            double a = head(L[11].Now() * g, saX_, saY_, da_, q);
            a = delay(L[5], allpass(L[4], c_.t1, c_.t1, a));
            delay(L[7], allpass(L[6], c_.t2, c_.t2, a * g));
            double b = head(L[7].Now() * g, sbX_, sbY_, db_, q);
            b = delay(L[9], allpass(L[8], c_.t1, c_.t1, b));
            delay(L[11], allpass(L[10], c_.t2, c_.t2, b * g));

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
            const double side = (A - B) * widthFactor;
            output.push_back(inL * c_.dryGain + (A + B) + side);
            output.push_back(inR * c_.dryGain + (A + B) - side);
        }
        return output;
    }

private:
    struct Memory {
        std::vector<double> data;
        int length = 1, position = 0;
        double& Now() { return data[position]; }
        void Advance() { position = position == 0 ? length - 1 : position - 1; }
        double Read(int offset) const { return data[(position + offset) % length]; }
    };

    Coefficients c_;
    int inputChannels_;
    Memory lines_[kReverbLineCount], predelay_, early_;
    // The single-precision denormal guards 1e-30 and 1e-20.
    static constexpr double kE30 = static_cast<double>(1e-30f);
    static constexpr double kE20 = static_cast<double>(1e-20f);
    double hc_ = 0, ly_ = 0, lx_ = 0, saX_ = 0, saY_ = 0, sbX_ = 0, sbY_ = 0, da_ = 0, db_ = 0;
};
