#include <gtest/gtest.h>

#include "app/ProgramWindows.h"
#include "app/Termination.h"
#include "common/NumberedFiles.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimWindows.h"
#include "settings/SettingsFile.h"

namespace dustvale {
namespace {

class TerminationTest : public ::testing::Test {
protected:
    TerminationTest() {
        for (const char16_t* name : {u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt", u"C:\\d.txt"}) {
            sim.files().AddFile(name, "x");
        }
    }
    void OpenAt(int number, const Text& path) {
        ASSERT_TRUE(files.Open(number, path, FileMode::Input));
    }

    sim::SimWindows sim;
    Platform platform = sim.platform();
    NumberedFiles files{platform.files};
    ProgramWindows programWindows{platform.windows};
};

TEST_F(TerminationTest, NumberedFilesGiveTheLowestFreeNumber) {
    EXPECT_EQ(files.FreeNumber(), 1);
    OpenAt(kSettingsFileNumber, u"C:\\a.txt");
    OpenAt(3, u"C:\\b.txt");
    EXPECT_EQ(files.FreeNumber(), 2);
    EXPECT_FALSE(files.Open(3, u"C:\\c.txt", FileMode::Input)) << "number in use";
    EXPECT_FALSE(files.Open(0, u"C:\\c.txt", FileMode::Input));
    EXPECT_FALSE(files.Open(2, u"C:\\missing.txt", FileMode::Input));
    EXPECT_EQ(files.FreeNumber(), 2);
}

TEST_F(TerminationTest, CloseAllFilesClosesTheUnbrokenRunFromNumberOne) {
    struct Case {
        std::vector<int> open;
        std::vector<int> stillOpen;
    };
    const Case cases[] = {
        {{}, {}},
        {{1}, {}},
        {{1, 2}, {}},
        {{2}, {2}},
        {{1, 2, 4}, {4}},
        {{1, 3, 4}, {3, 4}},
    };
    const Text paths[] = {u"C:\\a.txt", u"C:\\b.txt", u"C:\\c.txt", u"C:\\d.txt"};
    for (const Case& c : cases) {
        NumberedFiles table(platform.files);
        for (int number : c.open) {
            ASSERT_TRUE(table.Open(number, paths[number - 1], FileMode::Input));
        }
        CloseAllFiles(table);
        for (int number = 1; number <= 4; ++number) {
            const bool expected = std::find(c.stillOpen.begin(), c.stillOpen.end(), number) !=
                                  c.stillOpen.end();
            EXPECT_EQ(table.IsOpen(number), expected) << "file " << number;
        }
        EXPECT_EQ(sim.files().OpenFiles(), c.stillOpen.size());
    }
}

class RecordingWindow final : public ProgramWindow {
public:
    RecordingWindow(ProgramWindows& programWindows, std::vector<int>& log, int id)
        : programWindows_(programWindows), log_(log), id_(id) {
        programWindows_.Add(*this);
    }
    void Close() override {
        log_.push_back(id_);
        programWindows_.Remove(*this);
    }

private:
    ProgramWindows& programWindows_;
    std::vector<int>& log_;
    int id_;
};

TEST_F(TerminationTest, CloseAllWindowsClosesEachInOpeningOrder) {
    std::vector<int> log;
    RecordingWindow first(programWindows, log, 1);
    RecordingWindow second(programWindows, log, 2);
    CloseAllWindows(programWindows);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
    EXPECT_EQ(programWindows.Count(), 0u);
}

TEST_F(TerminationTest, TerminateProgramClosesFilesAndWindowsThenEndsTheProcess) {
    std::vector<int> log;
    RecordingWindow first(programWindows, log, 1);
    OpenAt(1, u"C:\\a.txt");
    EXPECT_THROW(TerminateProgram(files, programWindows, platform.kernel), sim::ProcessExit);
    EXPECT_EQ(log, std::vector<int>{1});
    EXPECT_FALSE(files.IsOpen(1));
    EXPECT_TRUE(sim.kernel().ExitCode().has_value());
}

TEST_F(TerminationTest, TerminateProgramWithNothingOpenStillEnds) {
    EXPECT_THROW(TerminateProgram(files, programWindows, platform.kernel), sim::ProcessExit);
    EXPECT_TRUE(sim.kernel().ExitCode().has_value());
}

}  // namespace
}  // namespace dustvale
