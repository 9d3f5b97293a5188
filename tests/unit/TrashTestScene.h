#pragma once

// A simulated Wine whose user has a freedesktop Trash: drive Z: is the Unix root, the home
// folder /home/bob, the Trash in ~/.local/share/Trash.

#include <string>

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimWindows.h"

namespace dustvale::trashtest {

inline const Text kHome = u"Z:\\home\\bob";
inline const Text kTrash = u"Z:\\home\\bob\\.local\\share\\Trash";
inline const Text kFiles = kTrash + u"\\files";
inline const Text kInfo = kTrash + u"\\info";

// Makes `sim` a Wine with a Trash; `wineHandles` false keeps Windows' handles, for the cases
// that hold on both.
inline void MakeWineWithTrash(sim::SimWindows& sim, bool wineHandles = true) {
    sim.files().AddDrive(u'Z');
    sim.files().UseWineHandles(wineHandles);
    sim.kernel().RunUnderWine(true);
    sim.kernel().MapUnixFolder(u"/", u"Z:\\");
    sim.kernel().SetEnvironmentVariable(u"WINEHOMEDIR", u"\\??\\Z:\\home\\bob");
    sim.kernel().SetEnvironmentVariable(u"XDG_DATA_HOME", u"/home/bob/.local/share");
    sim.files().AddFolder(kFiles);
    sim.files().AddFolder(kInfo);
}

inline void AddTrashInfo(sim::SimWindows& sim, const Text& name) {
    const std::string path(name.begin(), name.end());  // ASCII names in the tests
    sim.files().AddFile(kInfo + u"\\" + name + u".trashinfo",
                        "[Trash Info]\nPath=/home/bob/" + path +
                            "\nDeletionDate=2026-12-09T10:00:00\n");
}

// A file trashed as a file manager does it: its .trashinfo first, then the file.
inline void TrashFile(sim::SimWindows& sim, const Text& name, std::string bytes) {
    AddTrashInfo(sim, name);
    sim.files().AddFile(kFiles + u"\\" + name, std::move(bytes));
}

// The folder olddir with a.txt (5 bytes) and sub\f.txt (7 bytes), and the file letter.txt
// (3 bytes): 15 bytes in 2 items.
inline void TrashFolderAndFile(sim::SimWindows& sim) {
    AddTrashInfo(sim, u"olddir");
    sim.files().AddFile(kFiles + u"\\olddir\\a.txt", "aaaaa");
    sim.files().AddFile(kFiles + u"\\olddir\\sub\\f.txt", "fffffff");
    TrashFile(sim, u"letter.txt", "abc");
}

}  // namespace dustvale::trashtest
