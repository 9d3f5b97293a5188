"""What the built Dustvale.exe carries, read from its file: the manifest resource that names its
processor architecture, and the address-space layout a 64-bit program gets on Windows.

Run: DUSTVALE_EXE=... /usr/bin/python3 -m unittest test_build
"""

import os
import unittest

from pe_file import PeFile, RT_MANIFEST

HERE = os.path.dirname(os.path.abspath(__file__))
X86_MANIFEST = os.path.join(HERE, "..", "..", "res", "Dustvale.exe.manifest")
ENGLISH_US = 1033
ARCHITECTURE = b'processorArchitecture="X86"'

IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA = 0x20
IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x40


class BuildTest(unittest.TestCase):

    def setUp(self):
        self.exe = PeFile(os.environ["DUSTVALE_EXE"])

    def test_manifest_resource_names_the_executables_architecture(self):
        with open(X86_MANIFEST, "rb") as f:
            x86 = f.read()
        self.assertEqual(x86.count(ARCHITECTURE), 2)
        # Windows refuses to start a 64-bit program that asks for the x86 common controls.
        expected = (x86.replace(ARCHITECTURE, b'processorArchitecture="amd64"')
                    if self.exe.is_64bit else x86)
        self.assertEqual(self.exe.resources(RT_MANIFEST), {(1, ENGLISH_US): expected})

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
