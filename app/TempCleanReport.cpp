#include "app/TempCleanReport.h"

namespace dustvale {

namespace {

const Text kCleaned = u"The Windows Temporary folder has been cleaned.";
const Text kNotCleaned = u"The Windows Temporary folder was not cleaned, because ";

Text Quoted(const Text& path) { return u"\"" + path + u"\""; }

}  // namespace

Text TempCleanReport(const TempCleanResult& result) {
    if (!result.refused) return kCleaned;
    const Text path = Quoted(result.tempPath);
    switch (*result.refused) {
        case TempPathRefusal::NoTempPath:
            return kNotCleaned + u"Windows reports no temporary folder.";
        case TempPathRefusal::NotAFullPath:
            return kNotCleaned + u"its path, " + path + u", is not a full path.";
        case TempPathRefusal::DriveRoot:
            return kNotCleaned + u"it is set to " + path + u", the root of a drive.";
        case TempPathRefusal::WindowsFolder:
            return kNotCleaned + u"it is set to " + path + u", the Windows folder.";
        case TempPathRefusal::ProfileFolder:
            return kNotCleaned + u"it is set to " + path + u", your profile folder.";
        case TempPathRefusal::ProgramFolder:
            return kNotCleaned + u"it is set to " + path + u", which holds Dustvale itself.";
    }
    return kCleaned;  // not reached: every refusal has its sentence
}

}  // namespace dustvale
