// The fixture of the renderer tests: a temporary folder, sound files written and read with
// libsndfile, and the program run in-process with its output captured.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Renderer.h"

namespace fs = std::filesystem;

class RendererTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-renderer-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Writes interleaved samples (in [-1, 1]) in the given libsndfile format.
    std::string WriteSound(const std::string& name, const std::vector<double>& samples,
                           int channels, int format, int rate = 44100) {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = format;
        SNDFILE* file = sf_open(Path(name).c_str(), SFM_WRITE, &info);
        EXPECT_NE(nullptr, file) << sf_strerror(nullptr);
        sf_writef_double(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
        sf_close(file);
        return Path(name);
    }

    struct Sound {
        SF_INFO info{};
        std::vector<double> samples;
        std::vector<short> shorts;
    };
    Sound ReadSound(const std::string& path) {
        Sound sound;
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.info);
        EXPECT_NE(nullptr, file) << path;
        if (file == nullptr) return sound;
        const size_t n = static_cast<size_t>(sound.info.frames * sound.info.channels);
        sound.samples.resize(n);
        sf_readf_double(file, sound.samples.data(), sound.info.frames);
        sf_seek(file, 0, SEEK_SET);
        sound.shorts.resize(n);
        sf_readf_short(file, sound.shorts.data(), sound.info.frames);
        sf_close(file);
        return sound;
    }

    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RunRenderer(args, out_, err_);
    }

    // The failure shape every error must have: one line on stderr, nothing else written.
    void ExpectCleanFailure(int code, int expectedCode, const std::string& fragment,
                            const std::string& output) {
        EXPECT_EQ(expectedCode, code);
        const std::string message = err_.str();
        EXPECT_NE(std::string::npos, message.find(fragment)) << message;
        EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << message;
        EXPECT_FALSE(fs::exists(output));
        EXPECT_FALSE(fs::exists(output + ".partial"));
    }

    fs::path dir_;
    std::ostringstream out_, err_;
};
