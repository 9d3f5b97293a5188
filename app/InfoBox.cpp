#include "app/InfoBox.h"

#include <string>

#include "common/ApplicationPaths.h"
#include "common/TextRules.h"
#include "common/Version.h"
#include "platform/UserInterface.h"

namespace dustvale {
namespace {

Text Decimal(std::int32_t number) {
    const std::string digits = std::to_string(number);
    return Text(digits.begin(), digits.end());
}

}  // namespace

void ShowInfo(const Platform& platform, const Text& message, const Text& title) {
    // The answer is not used: the box only informs.
    platform.ui.MessageBox(0, message, BuildMessageTitle(platform.kernel, title),
                           mb::kOk | mb::kIconInformation);
}

Text BuildMessageTitle(Kernel& kernel, const Text& title) {
    Text trimmed = Trim(title);
    if (!trimmed.empty()) return trimmed;
    return ExecutableName(kernel) + u" v" + Decimal(version::kMajor) + u"." +
           Decimal(version::kMinor) + u"." + Decimal(version::kRevision);
}

}  // namespace dustvale
