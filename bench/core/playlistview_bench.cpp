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

void BM_PlaylistAreaRepaint(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    tv::playlist::PlaylistModel model;
    model.Reserve(n);
    for (int i = 0; i < n; ++i)
        model.AppendEntry("Some Artist - A Rather Long Title Number " + std::to_string(i), "03:25",
                          "/music/" + std::to_string(i) + ".mp3");
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
BENCHMARK(BM_PlaylistAreaRepaint)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
