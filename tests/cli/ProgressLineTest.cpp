// The progress line: what it shows at each point of a run, and how it fits
// the terminal.
#include "cli/ProgressLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tolvane::cli {
namespace {

TEST(ProgressLineTest, FiguresThroughputTimeLeftAndTheFileFitTheWidth) {
    struct Case {
        ProgressFigures figures;
        double elapsed;
        int columns;
        std::string line;
    };
    const int64_t mib = 1 << 20;
    const Case cases[] = {
        // Too early for a rate: no throughput, no time left.
        {{0, 10 * mib, 0, 4, "a.txt"}, 0.1, 80, "Packing 0%  0 B / 10.0 MiB  0/4 files  a.txt"},
        {{5 * mib, 10 * mib, 2, 4, "b/c.bin"},
         2.0,
         80,
         "Packing 50%  5.0 MiB / 10.0 MiB  2/4 files  2.5 MiB/s  0:02 left  b/c.bin"},
        {{512, 2048, 1, 1, ""},
         1.0,
         80,
         "Packing 25%  512 B / 2.0 KiB  1/1 files  512 B/s  0:03 left"},
        {{mib, 7200 * mib, 1, 9, "x"},
         1.0,
         80,
         "Packing 0%  1.0 MiB / 7.0 GiB  1/9 files  1.0 MiB/s  1:59:59 left  x"},
        // The file's name gives way first, from the left, then the line is cut.
        {{0, 0, 0, 0, "folder/deeper/name.txt"},
         0,
         48,
         "Packing 0%  0 B / 0 B  0/0 files  ...r/name.txt"},
        {{0, 0, 0, 0, "name.txt"}, 0, 20, "Packing 0%  0 B / 0"},
        // A hostile name cannot move the cursor; a cut never splits a UTF-8 letter.
        {{0, 0, 0, 0, "bad\r\033[2Jname"}, 0, 80, "Packing 0%  0 B / 0 B  0/0 files  bad??[2Jname"},
        {{0, 0, 0, 0, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},
         0,
         42,
         "Packing 0%  0 B / 0 B  0/0 files  ...\xC3\xA9\xC3\xA9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatProgress("Packing", c.figures, c.elapsed, c.columns), c.line);
}

TEST(ProgressLineTest, RedrawsInPlaceAndClearsItsLine) {
    std::ostringstream out;
    {
        ProgressLine line(out, 80);
        line.Stage("Zipping");
        line.Update({1, 2, 0, 1, "f"});
        // Within a tenth of a second: not redrawn.
        line.Update({2, 2, 1, 1, "f"});
    }
    EXPECT_EQ(out.str(), "\rZipping 50%  1 B / 2 B  0/1 files  f\033[K\r\033[K");
}

} // namespace
} // namespace tolvane::cli
