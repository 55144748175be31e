// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The cost of one pick as the playlist grows: a pick appends at the end of the box, so the
// 10,000th pick must cost about what the 10th does. The box is shown, and every pick is
// followed by the event processing (layout, paint) a real pick gets.
#include "playlistbuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kPicksPerMeasure = 200;

void BM_PickAt(benchmark::State& state)
{
    QPlainTextEdit text1;
    QLineEdit text2;
    QCheckBox check4;
    check4.setChecked(true);
    text1.resize(192, 217);
    text1.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text1.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text1.show();
    PlaylistBuilder builder(&text1, &text2, &check4);
    builder.InitPlaylist();

    const QString name = u"Artist Name - Some Track Title (Remastered).mp3"_s;
    for (int i = 1; i < state.range(0); ++i)
        builder.AddFile(name);
    QApplication::processEvents();

    for (auto _ : state) {
        builder.AddFile(name);
        QApplication::processEvents();
    }
    state.counters["entries_at_end"] = text1.document()->blockCount() - 1;
}

// Measured at the Nth pick, over the next kPicksPerMeasure picks.
BENCHMARK(BM_PickAt)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(kPicksPerMeasure)
    ->Unit(benchmark::kMicrosecond);

} // namespace
