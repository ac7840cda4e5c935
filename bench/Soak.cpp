// zm540vet-soak: a day of 12-lead and a day of monitoring, side by side, in accelerated time.
//
// Two views (one per mode), shown offscreen at 1920 x 1080, each with its own emulated unit on
// port 1. The units' clocks are driven, so a simulated day takes minutes: every step lets a
// random 1 ms to 2 * mean ms pass, the session's line takes in what was sent, the view paints
// it live, and every 10 minutes of streaming the session stops (capturing the kept span) and
// starts again with the next lead. Every capture is compared with what the unit sent; bytes and
// frames sent are balanced against what the session decoded. Peak memory after the first hour
// and at the end must agree within --max-growth-kb.
//
// Exit status: 0 clean; 1 a lost byte, a wrong capture or a failed session; 2 memory grew;
// 3 bad arguments.
#include "SoakRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Args {
    int hours = 24;
    int sessionMinutes = 10;
    int meanStepMs = 500;
    int width = 1920;
    int height = 1080;
    int maxGrowthKb = 1024;
    bool bTwelveLead = true;
    bool bMonitor = true;
};

void Usage(std::FILE* to) {
    std::fputs(
        "Usage: zm540vet-soak [--hours N] [--session-minutes N (dividing 60)] [--step-ms MEAN]\n"
        "                     [--size WxH] [--mode both|12lead|monitor]\n"
        "                     [--max-growth-kb N]\n",
        to);
}

bool ParseArgs(int argc, char** argv, Args* a) {
    for (int i = 1; i < argc; ++i) {
        const std::string k = argv[i];
        if (i + 1 >= argc)
            return false;
        const char* v = argv[++i];
        char* end = nullptr;
        const long n = std::strtol(v, &end, 10);
        const bool bNumber = end != v && *end == '\0' && n > 0 && n < 1000000;
        if (k == "--hours" && bNumber)
            a->hours = int(n);
        else if (k == "--session-minutes" && bNumber)
            a->sessionMinutes = int(n);
        else if (k == "--step-ms" && bNumber)
            a->meanStepMs = int(n);
        else if (k == "--max-growth-kb" && bNumber)
            a->maxGrowthKb = int(n);
        else if (k == "--size" && std::sscanf(v, "%dx%d", &a->width, &a->height) == 2 &&
                 a->width > 0 && a->height > 0)
            continue;
        else if (k == "--mode" && (std::strcmp(v, "both") == 0 || std::strcmp(v, "12lead") == 0 ||
                                   std::strcmp(v, "monitor") == 0)) {
            a->bTwelveLead = std::strcmp(v, "monitor") != 0;
            a->bMonitor = std::strcmp(v, "12lead") != 0;
        } else
            return false;
    }
    // Whole sessions make up each hour.
    return 60 % a->sessionMinutes == 0;
}

// A "Vm...:  1234 kB" line of /proc/self/status, in kB.
long StatusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

void PrintMode(const soak::ModeSoak& m) {
    const soak::Figures& f = m.Result();
    std::printf("%s:\n"
                "  simulated hours streamed  %.3f (%d sessions, %lld looks, %lld paints)\n"
                "  bytes sent                %lld (%lld before the line listened)\n"
                "  bytes decoded             %lld (lost %lld, left on the line at a stop %lld)\n"
                "  frames sent               %lld (%lld before the line listened)\n"
                "  frames decoded            %lld (lost %lld)\n"
                "  captures                  %d (mismatched %d, wrong values %lld; "
                "sessions out of balance %d)\n",
                m.TwelveLead() ? "12-lead" : "monitoring", double(f.nStreamedUs) / 3.6e9,
                f.nSessions, f.nLooks, f.nPaints, f.nBytesSent, f.nBytesUnheard, f.nBytesDecoded,
                f.LostBytes(), f.nBytesDiscarded, f.nFramesSent, f.nFramesUnheard, f.nFramesDecoded,
                f.LostFrames(), f.nCaptures, f.nBadCaptures, f.nBadValues, f.nBadBalances);
    for (const QString& p : f.problems)
        std::printf("  ! %s\n", qPrintable(p));
}

} // namespace

int main(int argc, char** argv) {
    Args args;
    if (!ParseArgs(argc, argv, &args)) {
        Usage(stderr);
        return 3;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QSize size(args.width, args.height);
    const int sessionSeconds = args.sessionMinutes * 60;
    const int perHour = std::max(1, 60 / args.sessionMinutes);
    const int sessions = args.hours * 60 / args.sessionMinutes;
    std::vector<std::unique_ptr<soak::ModeSoak>> owned;
    if (args.bTwelveLead)
        owned.push_back(std::make_unique<soak::ModeSoak>(true, size, sessionSeconds, 1));
    if (args.bMonitor)
        owned.push_back(std::make_unique<soak::ModeSoak>(false, size, sessionSeconds, 2));
    std::vector<soak::ModeSoak*> soaks;
    for (auto& m : owned)
        soaks.push_back(m.get());

    std::printf("soak: %d h of %s, sessions of %d min, steps of %d ms on average, %dx%d\n",
                args.hours, soaks.size() == 2 ? "each mode" : "one mode", args.sessionMinutes,
                args.meanStepMs, args.width, args.height);
    std::fflush(stdout);

    QElapsedTimer wall;
    wall.start();
    int hoursDone = 0;
    long peakAtOneHour = -1;
    const bool bRan = soak::RunSoaks(
        soaks.data(), int(soaks.size()), sessions, args.meanStepMs, 7, [&](soak::ModeSoak&) {
            int done = sessions;
            for (const soak::ModeSoak* m : soaks)
                done = std::min(done, m->Result().nCaptures);
            if (done / perHour <= hoursDone)
                return;
            hoursDone = done / perHour;
            const long peak = StatusKb("VmHWM");
            if (hoursDone == 1)
                peakAtOneHour = peak;
            int bad = 0;
            for (const soak::ModeSoak* m : soaks)
                bad += m->Result().nBadCaptures + int(m->Result().problems.size());
            std::printf("hour %2d: wall %7.1f s, peak RSS %ld kB, RSS %ld kB, problems %d\n",
                        hoursDone, double(wall.elapsed()) / 1000.0, peak, StatusKb("VmRSS"), bad);
            std::fflush(stdout);
        });
    const double seconds = double(wall.elapsed()) / 1000.0;
    const long peakAtEnd = StatusKb("VmHWM");

    bool bClean = bRan;
    for (const soak::ModeSoak* m : soaks) {
        PrintMode(*m);
        bClean = bClean && m->Result().Clean() && m->Result().nCaptures == sessions;
    }
    const long growth = peakAtEnd - peakAtOneHour;
    std::printf("wall time %.1f s; peak RSS after 1 h %ld kB, after %d h %ld kB (grew %ld kB, "
                "limit %d kB)\n",
                seconds, peakAtOneHour, args.hours, peakAtEnd, growth, args.maxGrowthKb);
    std::printf("%s\n", !bClean ? "FAILED: lost data, a wrong capture or a failed session"
                        : args.hours > 1 && growth > args.maxGrowthKb ? "FAILED: memory grew"
                                                                      : "clean");
    if (!bClean)
        return 1;
    return args.hours > 1 && growth > args.maxGrowthKb ? 2 : 0;
}
