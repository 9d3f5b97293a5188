"""What the built Dustvale.exe carries, read from its file: the manifest resource that says what
the program is and how it wants to run, and the address-space layout a 64-bit program gets on
Windows.

Run: DUSTVALE_EXE=... /usr/bin/python3 -m unittest test_build
"""

import os
import unittest
import xml.etree.ElementTree as ElementTree

from pe_file import PeFile, RT_MANIFEST

ENGLISH_US = 1033
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
# The systems the program declares it was made for, from Vista to Windows 10 and 11.
SUPPORTED_SYSTEMS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Windows Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}

IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA = 0x20
IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x40


class BuildTest(unittest.TestCase):

    def setUp(self):
        self.exe = PeFile(os.environ["DUSTVALE_EXE"])

    def manifest(self):
        """The manifest resource, parsed: exactly one, ID 1 in US English."""
        resources = self.exe.resources(RT_MANIFEST)
        self.assertEqual(list(resources), [(1, ENGLISH_US)])
        return ElementTree.fromstring(resources[(1, ENGLISH_US)])

    def test_manifest_resource_names_the_executables_architecture(self):
        # Windows refuses to start a 64-bit program that asks for the x86 common controls.
        architecture = "amd64" if self.exe.is_64bit else "X86"
        root = self.manifest()
        self.assertEqual(root.get("manifestVersion"), "1.0")
        self.assertEqual(root.find(ASM_V1 + "assemblyIdentity").attrib, {
            "version": "1.0.0.0", "processorArchitecture": architecture,
            "name": "Quillmere.Dustvale", "type": "win32"})
        self.assertEqual(root.findtext(ASM_V1 + "description"), "Recycling Bin for the Tray")
        dependencies = root.findall(
            f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")
        self.assertEqual([d.attrib for d in dependencies], [{
            "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
            "processorArchitecture": architecture, "publicKeyToken": "6595b64144ccf1df",
            "language": "*"}])

    def test_manifest_resource_says_how_the_program_wants_to_run(self):
        root = self.manifest()
        systems = root.findall(f"{COMPATIBILITY}compatibility/{COMPATIBILITY}application/"
                               f"{COMPATIBILITY}supportedOS")
        self.assertEqual({s.get("Id") for s in systems}, SUPPORTED_SYSTEMS)
        self.assertEqual(len(systems), len(SUPPORTED_SYSTEMS))
        settings = root.find(f"{ASM_V3}application/{ASM_V3}windowsSettings")
        self.assertIsNotNone(settings, "no windowsSettings")
        # Per-monitor (v2) from Windows 10 1703, per-monitor from 1607; the older element: per
        # monitor from Windows 8.1, system-aware before.
        awareness = [item.strip().lower()
                     for item in settings.findtext(SETTINGS_2016 + "dpiAwareness").split(",")]
        self.assertEqual(awareness, ["permonitorv2", "permonitor"])
        self.assertEqual(settings.findtext(SETTINGS_2005 + "dpiAware").strip().lower(), "true/pm")
        levels = root.findall(f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/"
                              f"{ASM_V3}requestedExecutionLevel")
        self.assertEqual([level.attrib for level in levels],
                         [{"level": "asInvoker", "uiAccess": "false"}])

    def test_64bit_program_lives_above_4gb_on_windows(self):
        # Its stack, heap and image above 4 GB are what the message path's full-width
        # parameters protect; Wine hands out low addresses and would hide a cut pointer.
        self.assertTrue(self.exe.is_64bit)
        flags = self.exe.dll_characteristics
        self.assertTrue(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE)
        self.assertTrue(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA)
        self.assertGreaterEqual(self.exe.image_base, 1 << 32)


if __name__ == "__main__":
    unittest.main()
