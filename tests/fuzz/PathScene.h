#pragma once

// A small machine for the path targets: 8.3 aliases, hidden and system entries, links of
// every kind (one pair leading round in a circle), a folder that refuses listing, names
// beyond ASCII and a second drive.

#include <set>

#include "common/TextRules.h"
#include "platform/sim/SimFileSystem.h"

namespace dustvale::fuzz {

inline void BuildPathScene(sim::SimFileSystem& files) {
    files.AddFolder(u"C:\\Documents and Settings\\Bob\\Local Settings\\Temp");
    files.SetShortName(u"C:\\Documents and Settings", u"DOCUME~1");
    files.SetShortName(u"C:\\Documents and Settings\\Bob\\Local Settings", u"LOCALS~1");
    files.AddFile(u"C:\\Documents and Settings\\Bob\\Local Settings\\Temp\\~DF12.tmp", "x");
    files.AddFile(u"C:\\Program Files (x86)\\CCleaner\\ccleaner.exe", "MZ");
    files.SetShortName(u"C:\\Program Files (x86)", u"PROGRA~2");
    files.AddFolder(u"C:\\Windows\\Temp");
    files.AddFile(u"C:\\Windows\\win.ini", "[windows]");
    files.AddFolder(u"C:\\ProgramData", attr::kDirectory | attr::kHidden | attr::kSystem);
    files.AddFile(u"C:\\ProgramData\\hidden.dat", {}, attr::kHidden | attr::kReadOnly);
    files.AddFile(u"C:\\App\\Dustvale.exe", "MZ");
    files.AddFile(u"C:\\App\\AutoClean.cfg", "15\r\n");
    files.AddFile(u"C:\\App\\full.ico", {}, attr::kArchive | attr::kSystem);
    files.AddFile(u"C:\\App\\empty.ico", {}, attr::kReadOnly);
    files.AddFile(u"C:\\Temp\\a.txt", "a");
    files.AddFile(u"C:\\Temp\\noext", "n");
    files.AddFile(u"C:\\Temp\\archive.tar.gz", "z");
    files.AddFile(u"C:\\Temp\\.profile", "p");
    files.AddFolder(u"C:\\Users\\\u0432\u0430\u0441\u044F \u043F\u0443\u043F\u043A\u0438\u043D");
    files.AddFile(u"C:\\Users\\\u5C71\u7530\\\u00E9t\u00E9.txt", "e");
    files.AddFolderLink(u"C:\\Junction", u"C:\\Windows");
    files.AddFileLink(u"C:\\Temp\\link.txt", u"C:\\Temp\\a.txt");
    files.AddUnixLink(u"C:\\Users\\Bob", u"C:\\Temp");
    files.AddFolderLink(u"C:\\Loop", u"C:\\Loop2");
    files.AddFolderLink(u"C:\\Loop2", u"C:\\Loop");
    files.AddFolderLink(u"C:\\Dangling", u"C:\\Nowhere");
    files.AddFolder(u"C:\\Locked");
    files.AddFile(u"C:\\Locked\\secret.txt", "s");
    files.SetDenyListing(u"C:\\Locked", true);
    files.AddDrive(u'D');
    files.AddFile(u"D:\\Data\\Report 2024.doc", "d");
    files.SetShortName(u"D:\\Data\\Report 2024.doc", u"REPORT~1.DOC");
}

// Every name the scene stores, in proper case: the only names a normalised path may hold.
inline std::set<Text> SceneNamesInProperCase(const sim::SimFileSystem& files) {
    std::set<Text> names;
    for (const Text& root : {Text(u"C:\\"), Text(u"D:\\")}) {
        for (const Text& path : files.Tree(root)) {
            names.insert(ProperCase(path.substr(path.rfind(u'\\') + 1)));
        }
    }
    return names;
}

}  // namespace dustvale::fuzz
