// The picture library: opening on a folder of 500 pictures (names listed,
// thumbnails left to the worker) and making one thumbnail.
#include "app/editor/BrowserDlg.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QTemporaryDir& library()
{
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        made = true;
        QDir(dir.path()).mkpath(QStringLiteral("pictures"));
        QImage img(640, 480, QImage::Format_RGB32);
        img.fill(Qt::darkCyan);
        for (int i = 0; i < 500; ++i)
            img.save(dir.filePath(QStringLiteral("pictures/p%1.png").arg(i)), "PNG");
    }
    return dir;
}

void BM_BrowserOpen500(benchmark::State& state)
{
    const QString root = library().path();
    for (auto _ : state) {
        editor::CBrowserDlg dlg(root);
        benchmark::DoNotOptimize(dlg.list());
    }
}
BENCHMARK(BM_BrowserOpen500)->Unit(benchmark::kMillisecond);

void BM_Thumbnail640x480(benchmark::State& state)
{
    const QString path = library().filePath(QStringLiteral("pictures/p0.png"));
    for (auto _ : state)
        benchmark::DoNotOptimize(editor::makeThumbnail(path));
}
BENCHMARK(BM_Thumbnail640x480)->Unit(benchmark::kMicrosecond);

} // namespace
