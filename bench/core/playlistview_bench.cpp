// A full repaint of the playlist area (both columns, the panel height of the main window)
// with 100 and with 100 000 entries, scrolled to the middle of the list. Only the visible rows
// are painted, so both sizes should cost about the same.

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <QPainter>

#include "playlist/playlist.h"
#include "ui/playlistview.h"

namespace {

// With `sameLength` every row's number is written with six digits, so both sizes draw texts
// of the same length and only the size of the list differs; without it the large list's rows
// carry longer numbers, as a user's would.
void Repaint(benchmark::State& state, bool sameLength) {
    const int n = static_cast<int>(state.range(0));
    tv::playlist::PlaylistModel model;
    model.Reserve(n);
    for (int i = 0; i < n; ++i) {
        std::string number = std::to_string(i);
        if (sameLength)
            number.insert(0, 6 - number.size(), '0');
        model.AppendEntry("Some Artist - A Rather Long Title Number " + number, "03:25",
                          "/music/" + std::to_string(i) + ".mp3");
    }
    model.SetCurrent(n / 2);
    for (int i = n / 2 - 3; i < n / 2 + 3; i += 2)
        model.Select(i);
    QWidget frame;
    tv::ui::PlaylistView view(model, &frame, &frame);
    view.setGeometry(0, 0, 295, 294);
    view.UpdateScrollerVisibility();
    view.ScrollToCurrent();
    QImage target(295, 294, QImage::Format_RGB32);
    for (auto _ : state) {
        view.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_PlaylistAreaRepaint(benchmark::State& state) {
    Repaint(state, false);
}
void BM_PlaylistAreaRepaintSameLength(benchmark::State& state) {
    Repaint(state, true);
}
BENCHMARK(BM_PlaylistAreaRepaint)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaylistAreaRepaintSameLength)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
