// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Writes a few short WAV files (16-bit mono PCM, a soft tone each) into the folder named
// on the command line, creating it if needed. Plain standard C++: no Qt needed to build it.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

void putLE(std::ofstream& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool writeTone(const std::filesystem::path& file, double hertz, double seconds)
{
    constexpr std::uint32_t rate = 22050;
    const auto count = static_cast<std::uint32_t>(rate * seconds);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write("RIFF", 4);
    putLE(out, 36 + count * 2, 4);
    out.write("WAVEfmt ", 8);
    putLE(out, 16, 4); // fmt chunk size
    putLE(out, 1, 2);  // PCM
    putLE(out, 1, 2);  // mono
    putLE(out, rate, 4);
    putLE(out, rate * 2, 4); // byte rate
    putLE(out, 2, 2);        // block align
    putLE(out, 16, 2);       // bits per sample
    out.write("data", 4);
    putLE(out, count * 2, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double fade = std::min(1.0, std::min(t, seconds - t) * 20.0);
        const double sample = 0.3 * fade * std::sin(2.0 * std::numbers::pi * hertz * t);
        putLE(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(sample * 32767)), 2);
    }
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: samplemusic FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::cerr << "samplemusic: cannot create " << folder << ": " << ec.message() << '\n';
        return 1;
    }
    struct Tone {
        const char* name;
        double hertz;
    };
    const std::vector<Tone> tones = {
        {"01 Morning Light.wav", 261.63},
        {"02 Harbour Walk.wav", 293.66},
        {"03 Rain on Glass.wav", 329.63},
        {"04 Night Train.wav", 349.23},
        {"10 Last Dance.wav", 392.00},
        {"Intro.WAV", 440.00},
    };
    for (const Tone& tone : tones) {
        if (!writeTone(folder / tone.name, tone.hertz, 1.5)) {
            std::cerr << "samplemusic: cannot write " << (folder / tone.name) << '\n';
            return 1;
        }
    }
    return 0;
}
