"""Reads what a built Windows executable carries, without running it: its kind (PE32 or PE32+)
and its resources."""

import struct

RT_MANIFEST = 24


class PeFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError(f"{path} is not a Windows executable")
        self.pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError(f"{path} has no PE header")
        self.machine, sections = struct.unpack_from("<HH", d, self.pe + 4)
        optional_size = struct.unpack_from("<H", d, self.pe + 20)[0]
        optional = self.pe + 24
        self.magic = struct.unpack_from("<H", d, optional)[0]
        self.image_base = (struct.unpack_from("<Q", d, optional + 24)[0] if self.is_64bit
                           else struct.unpack_from("<I", d, optional + 28)[0])
        self.dll_characteristics = struct.unpack_from("<H", d, optional + 70)[0]
        directories = optional + (112 if self.is_64bit else 96)
        self.resource_rva = struct.unpack_from("<I", d, directories + 2 * 8)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, virtual_size, rva, raw_size, raw = struct.unpack_from("<8sIIII", d, table + 40 * i)
            self.sections.append((rva, max(virtual_size, raw_size), raw))

    @property
    def is_64bit(self):
        return self.magic == 0x20B

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def _entries(self, directory):
        base = self.offset(self.resource_rva)
        named, ids = struct.unpack_from("<HH", self.data, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
            yield name, target

    def resources(self, kind):
        """{(id, language): bytes} of the resources of one type given by number."""
        found = {}
        base = self.offset(self.resource_rva)
        for type_id, names in self._entries(0):
            if type_id != kind or not names & 0x80000000:
                continue
            for name_id, languages in self._entries(names & 0x7FFFFFFF):
                for language, leaf in self._entries(languages & 0x7FFFFFFF):
                    rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(rva)
                    found[(name_id, language)] = self.data[start:start + size]
        return found
