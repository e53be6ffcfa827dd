// The window's batch without its widgets against the batch tool, on the same files:
//   window_batch_bench CLI INPUTS RECIPE CATALOGUE SCRATCH [REPETITIONS]
// times, fastest of REPETITIONS (default 5), each with the page cache warm:
//   tool      CLI --recipe RECIPE --catalogue CATALOGUE --out-dir SCRATCH/tool INPUTS..., end to end
//   window    the window's path: the batch processed in memory (keeping what the preview shows),
//             the preview's model of every file built, and the files written into SCRATCH/window
//   preview   the preview of the batch made and shown (offscreen), its first file's changes in view
// and prints them with window-vs-tool (target <= 2) and preview-opens-ms (target < 1000).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/BatchPreview.h"
#include "batch/FileBatch.h"
#include "io/FileIO.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

void fresh(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

double runTool(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) < 0 ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

pf::Recipe readRecipe(const fs::path& path) {
    std::string bytes;
    pf::io::readRegularFile(path, bytes);
    return pf::parseRecipe(bytes).recipe;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 6) {
        std::fputs("usage: window_batch_bench CLI INPUTS RECIPE CATALOGUE SCRATCH [REPETITIONS]\n", stderr);
        return 2;
    }
    const std::string cli = argv[1];
    const fs::path inputsFolder = argv[2], recipe = argv[3], catalogue = argv[4], scratch = argv[5];
    const int repetitions = argc > 6 ? std::max(1, std::atoi(argv[6])) : 5;
    std::vector<fs::path> inputs;
    for (const auto& e : fs::directory_iterator(inputsFolder)) inputs.push_back(e.path());
    std::sort(inputs.begin(), inputs.end());
    std::vector<std::string> command{cli, "--recipe", recipe.string(), "--catalogue", catalogue.string(),
                                     "--out-dir", (scratch / "tool").string()};
    for (const auto& i : inputs) command.push_back(i.string());

    double tool = 1e300, window = 1e300, preview = 1e300;
    for (int r = 0; r <= repetitions; ++r) {  // the first run warms the caches and is not counted
        fresh(scratch / "tool");
        const double t = runTool(command);

        fresh(scratch / "window");
        QElapsedTimer timer;
        timer.start();
        pf::batch::FileBatch batch(readRecipe(recipe), pf::Catalogue::open(catalogue));
        std::atomic<bool> cancel{false};
        batch.process(inputs, cancel);
        const pf::app::BatchReview review = pf::app::batchReview(batch);
        pf::app::BatchFilesModel model(review);
        double w = static_cast<double>(timer.nsecsElapsed()) / 1e6;

        // The preview as the window opens it, before anything is written (its changes refer to
        // the Processes waiting to be kept).
        timer.restart();
        {
            pf::app::BatchPreviewDialog dialog(review);
            dialog.show();
            QApplication::processEvents();
        }
        const double p = static_cast<double>(timer.nsecsElapsed()) / 1e6;

        timer.restart();
        std::vector<pf::batch::FileBatch::Target> targets;
        for (size_t i = 0; i < inputs.size(); ++i)
            if (model.ticked()[i]) targets.push_back({i, scratch / "window" / inputs[i].filename(), {}});
        const auto written = batch.write(targets, pf::io::Backup::None);
        w += static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (written.size() != inputs.size() ||
            !std::all_of(written.begin(), written.end(), [](const auto& x) { return x.ok; })) {
            std::fputs("the window's batch did not write every file\n", stderr);
            return 1;
        }
        if (r == 0) continue;
        tool = std::min(tool, t);
        window = std::min(window, w);
        preview = std::min(preview, p);
    }
    fs::remove_all(scratch);
    std::printf("window batch, %zu files (wall clock, fastest of %d): batch tool %.1f ms, window's batch %.1f ms, "
                "preview shown %.1f ms\n",
                inputs.size(), repetitions, tool, window, preview);
    std::printf("window-vs-tool: %.2f\n", window / tool);
    std::printf("preview-opens-ms: %.0f\n", preview);
    return 0;
}
