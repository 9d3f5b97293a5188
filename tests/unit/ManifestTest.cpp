#include <gtest/gtest.h>

#include "app/CommonControlsStartup.h"
#include "app/ProgramWindows.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindows.h"
#include "settings/Manifest.h"

namespace dustvale {
namespace {

const Text kManifest = u"C:\\Program Files\\Dustvale\\Dustvale.exe.manifest";

// The file exactly as it must lie beside Dustvale.exe.
const std::string kManifestBytes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
    "  <assemblyIdentity\r\n"
    "    version=\"1.0.0.0\"\r\n"
    "    processorArchitecture=\"X86\"\r\n"
    "    name=\"Quillmere.Freeware.Dustvale\"\r\n"
    "    type=\"win32\"\r\n"
    "  />\r\n"
    "  <description>Quillmere.Freeware.Dustvale</description>\r\n"
    "  <dependency>\r\n"
    "    <dependentAssembly>\r\n"
    "      <assemblyIdentity\r\n"
    "        type=\"win32\"\r\n"
    "        name=\"Microsoft.Windows.Common-Controls\"\r\n"
    "        version=\"6.0.0.0\"\r\n"
    "        processorArchitecture=\"X86\"\r\n"
    "        publicKeyToken=\"6595b64144ccf1df\"\r\n"
    "        language=\"*\"\r\n"
    "      />\r\n"
    "    </dependentAssembly>\r\n"
    "  </dependency>\r\n"
    "</assembly>\r\n";

// The 64-bit program's file: the same bytes with its own architecture in the same two places,
// the program's identity and the common controls it asks for.
std::string Amd64ManifestBytes() {
    std::string bytes = kManifestBytes;
    const std::string x86 = "processorArchitecture=\"X86\"";
    for (std::size_t at = bytes.find(x86); at != std::string::npos; at = bytes.find(x86, at)) {
        bytes.replace(at, x86.size(), "processorArchitecture=\"amd64\"");
    }
    return bytes;
}

TEST(ManifestPath, FolderWithOneBackslashThenExecutableName) {
    EXPECT_EQ(ManifestPath(u"C:\\Program Files\\Dustvale", u"Dustvale"), kManifest);
    EXPECT_EQ(ManifestPath(u"C:\\", u"Dustvale"), u"C:\\Dustvale.exe.manifest");
    EXPECT_EQ(ManifestPath(u" D:\\Apps ", u"Bin"), u"D:\\Apps\\Bin.exe.manifest");
}

TEST(IsXPOrLater, FollowsTheVersionRule) {
    struct Case {
        std::int32_t major, minor, platformId;
        bool expected;
    };
    const Case cases[] = {
        {5, 1, 2, true},   {5, 2, 2, true},    {6, 0, 2, true},  {6, 3, 2, true},
        {10, 0, 2, true},  {5, 0, 2, false},   {4, 0, 2, false}, {6, 0, 1, false},
        {4, 90, 1, false}, {6, -1, 2, false},  {5, 1, 0, false}, {7, 0, 2, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsXPOrLater(OsVersion{c.major, c.minor, 0, c.platformId}), c.expected)
            << c.major << "." << c.minor << " on platform " << c.platformId;
    }
    EXPECT_FALSE(IsXPOrLater(std::nullopt)) << "a failed version query";
}

// A window as the termination sees it.
class FakeWindow final : public ProgramWindow {
public:
    explicit FakeWindow(ProgramWindows& windows) : windows_(windows) { windows_.Add(*this); }
    void Close() override {
        ++closes;
        windows_.Remove(*this);
    }
    int closes = 0;

private:
    ProgramWindows& windows_;
};

class StartCommonControlsTest : public ::testing::Test {
protected:
    void Start() { StartCommonControls({platform, files, programWindows}); }

    sim::SimWindows sim;
    Platform platform = sim.platform();
    NumberedFiles files{platform.files};
    ProgramWindows programWindows{platform.windows};
};

TEST_F(StartCommonControlsTest, FirstStartWithTheVisualStylesAlreadyThereWritesTheManifestAndGoesOn) {
    FakeWindow window(programWindows);
    Start();
    EXPECT_EQ(sim.files().Contents(kManifest), kManifestBytes);
    EXPECT_EQ(sim.files().Attributes(kManifest), attr::kHidden);
    EXPECT_TRUE(sim.ui().MessageBoxes().empty());
    EXPECT_EQ(window.closes, 0);
    EXPECT_FALSE(sim.kernel().ExitCode().has_value());
    EXPECT_EQ(sim.commonControls().ExCalls(), std::vector<std::uint32_t>{0xFFFF});
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

TEST_F(StartCommonControlsTest, FirstStartWithoutTheVisualStylesAsksForARestartAndEnds) {
    // A system that did not read the manifest built into the executable.
    sim.commonControls().SetLoadedVersion(5);
    FakeWindow window(programWindows);
    EXPECT_THROW(Start(), sim::ProcessExit);

    EXPECT_EQ(sim.files().Contents(kManifest), kManifestBytes);
    EXPECT_EQ(sim.files().Attributes(kManifest), attr::kHidden);
    ASSERT_EQ(sim.ui().MessageBoxes().size(), 1u);
    const auto& box = sim.ui().MessageBoxes()[0];
    EXPECT_EQ(box.text,
              u"Manifest file has been re-initialized.\r\n\r\nThis application must be restarted.");
    EXPECT_EQ(box.caption, u"Dustvale v1.0.0");
    EXPECT_EQ(box.style, 0x40u);
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
    EXPECT_TRUE(sim.kernel().ExitCode().has_value());
    EXPECT_TRUE(sim.commonControls().ExCalls().empty()) << "nothing runs after the restart box";
}

TEST_F(StartCommonControlsTest, The64BitProgramWritesAManifestOfItsOwnArchitecture) {
    sim.kernel().SetExecutableArchitecture(Architecture::Amd64);
    Start();
    const std::string expected = Amd64ManifestBytes();
    ASSERT_NE(expected, kManifestBytes);
    EXPECT_EQ(sim.files().Contents(kManifest), expected);
}

TEST_F(StartCommonControlsTest, ManifestNamedAfterARenamedExecutableInADriveRoot) {
    sim.kernel().SetModuleFileName(u"C:\\Tray Bin.exe");
    Start();
    const std::optional<std::string> text = sim.files().Contents(u"C:\\Tray Bin.exe.manifest");
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find("name=\"Quillmere.Freeware.Tray Bin\"\r\n"), std::string::npos);
    EXPECT_NE(text->find("<description>Quillmere.Freeware.Tray Bin</description>\r\n"),
              std::string::npos);
}

TEST_F(StartCommonControlsTest, PresentManifestIsLeftAsItIs) {
    for (std::uint32_t attributes : {attr::kArchive, attr::kHidden}) {
        sim.files().AddFile(kManifest, "edited", attributes);
        Start();
        EXPECT_EQ(sim.files().Contents(kManifest), "edited");
        EXPECT_EQ(sim.files().Attributes(kManifest), attributes);
    }
    EXPECT_TRUE(sim.ui().MessageBoxes().empty());
    EXPECT_EQ(sim.commonControls().ExCalls(), (std::vector<std::uint32_t>{0xFFFF, 0xFFFF}));
    EXPECT_EQ(sim.commonControls().PlainCalls(), 0);
}

TEST_F(StartCommonControlsTest, ReadOnlyFolderGoesOnStartingWithoutTheRestartBox) {
    sim.files().SetReadOnlyFolder(u"C:\\Program Files\\Dustvale", true);
    Start();
    EXPECT_FALSE(sim.files().Exists(kManifest));
    EXPECT_TRUE(sim.ui().MessageBoxes().empty());
    EXPECT_FALSE(sim.kernel().ExitCode().has_value());
    EXPECT_EQ(sim.commonControls().ExCalls(), std::vector<std::uint32_t>{0xFFFF});
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

TEST_F(StartCommonControlsTest, OlderSystemsDeleteAManifestWhateverItsAttributes) {
    sim.kernel().SetVersion(OsVersion{5, 0, 2195, 2});
    sim.files().AddFile(kManifest, "old", attr::kHidden | attr::kReadOnly);
    Start();
    EXPECT_FALSE(sim.files().Exists(kManifest));
    Start();  // and without one nothing happens
    EXPECT_FALSE(sim.files().Exists(kManifest));
    EXPECT_TRUE(sim.ui().MessageBoxes().empty());
    EXPECT_EQ(sim.commonControls().ExCalls().size(), 2u);
}

TEST_F(StartCommonControlsTest, PlainInitialisationWhenTheExtendedOneFailsOrIsMissing) {
    sim.files().AddFile(kManifest, "x");
    Start();
    EXPECT_EQ(sim.commonControls().PlainCalls(), 0);
    sim.commonControls().SetExResult(false);
    Start();
    EXPECT_EQ(sim.commonControls().PlainCalls(), 1);
    sim.commonControls().SetExResult(std::nullopt);
    Start();
    EXPECT_EQ(sim.commonControls().PlainCalls(), 2);
}

TEST_F(StartCommonControlsTest, InitUserExClassesAsksForTheExtendedComboBox) {
    EXPECT_TRUE(InitUserExClasses(sim.commonControls()));
    sim.commonControls().SetExResult(false);
    EXPECT_TRUE(InitUserExClasses(sim.commonControls())) << "a FALSE result raises no error";
    EXPECT_EQ(sim.commonControls().ExCalls(), (std::vector<std::uint32_t>{0x200, 0x200}));
    sim.commonControls().SetExResult(std::nullopt);
    EXPECT_FALSE(InitUserExClasses(sim.commonControls()));
}

}  // namespace
}  // namespace dustvale
