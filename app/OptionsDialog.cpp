#include "app/OptionsDialog.h"

#include <optional>
#include <string>

#include "common/ApplicationPaths.h"
#include "common/ApplicationTitle.h"
#include "res/ResourceIds.h"
#include "settings/Autostart.h"
#include "settings/SettingsFile.h"

namespace dustvale {

namespace {

// The rows below the first two, in twips: as far apart as those two, the number boxes in the
// threshold box's column with their units after them.
constexpr std::int32_t kRowPitch = 480;
constexpr std::int32_t kOldItemsRow = 1080;
constexpr std::int32_t kSizeLimitRow = kOldItemsRow + kRowPitch;
constexpr std::int32_t kAskRow = kSizeLimitRow + kRowPitch;
constexpr std::int32_t kTellRow = kAskRow + kRowPitch;
constexpr std::int32_t kNumberColumn = 3360;
constexpr std::int32_t kDaysWidth = 615;       // "3650"
constexpr std::int32_t kMegabytesWidth = 855;  // "100000000"
constexpr std::int32_t kUnitGap = 60;
constexpr std::int32_t kUnitsRight = 5040;

// A check box that introduces a number box in the number column.
ControlLayout RuleBox(const Text& caption, std::int32_t row) {
    return {ControlKind::CheckBox, caption, {120, row, kNumberColumn - 180, 255}};
}

// Digits only, as Windows' number fields: a word, a separator or a unit cannot be typed.
ControlLayout NumberBox(std::int32_t row, std::int32_t width) {
    return {.kind = ControlKind::TextBox,
            .text = {},
            .bounds = {kNumberColumn, row, width, 285},
            .digitsOnly = true};
}

// The unit after a number box, on the box's height.
ControlLayout UnitLabel(const Text& text, std::int32_t row, std::int32_t boxWidth) {
    const std::int32_t left = kNumberColumn + boxWidth + kUnitGap;
    return {ControlKind::Label, text, {left, row, kUnitsRight - left, 285}};
}

// The whole of `text` as a number from `least` to `most`.
std::optional<std::uint64_t> NumberIn(const Text& text, std::uint64_t least, std::uint64_t most) {
    if (text.empty()) return std::nullopt;
    std::uint64_t number = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - u'0');
        if (number > most) return std::nullopt;  // before it could overflow
    }
    if (number < least) return std::nullopt;
    return number;
}

Text Digits(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

Text CouldNotSave(const Text& path) {
    return u"Dustvale could not save its settings in \"" + path +
           u"\". To keep them, move Dustvale to a folder you may write to.";
}

}  // namespace

DialogLayout OptionsDialogLayout() {
    DialogLayout layout;
    layout.caption = u"Options";
    layout.clientWidth = 5160;
    layout.clientHeight = 3420;
    layout.smallIcon = IDI_OPTIONS;
    // The auto-empty box's caption reads around the threshold box, which lies over its run of
    // 14 blanks.
    layout.controls = {
        {ControlKind::CheckBox,
         u"Empty Recycle Bin if there are more than              files(s).",
         {120, 120, 4335, 255}},
        {.kind = ControlKind::TextBox,
         .text = u"15",
         .bounds = {kNumberColumn, 120, 495, 285},
         .digitsOnly = true},
        {ControlKind::CheckBox, u"Auto Start with Windows.", {120, 600, 4335, 255}},
        RuleBox(u"Empty items &deleted more than", kOldItemsRow),
        NumberBox(kOldItemsRow, kDaysWidth),
        UnitLabel(u"days ago", kOldItemsRow, kDaysWidth),
        RuleBox(u"&Keep the Recycle Bin under", kSizeLimitRow),
        NumberBox(kSizeLimitRow, kMegabytesWidth),
        UnitLabel(u"MB", kSizeLimitRow, kMegabytesWidth),
        {ControlKind::CheckBox, u"&Ask before emptying the Recycle Bin", {120, kAskRow, 4335, 255}},
        {ControlKind::CheckBox,
         u"&Tell me when items are removed automatically",
         {120, kTellRow, 4335, 255}},
        // Last in the tab order, at the bottom right.
        {ControlKind::DefaultButton, u"Close", {3840, kTellRow + 360, 1215, 495}},
    };
    return layout;
}

OptionsDialog::OptionsDialog(Platform& platform, ProgramWindows& programWindows,
                             NumberedFiles& files, WindowStartup& initialization)
    : platform_(platform), programWindows_(programWindows), files_(files) {
    InitializeCommonControls(initialization);
}

// The window goes with the object; the setting it held is no longer there to take anything up.
OptionsDialog::~OptionsDialog() { Unload(); }

void OptionsDialog::InitializeCommonControls(WindowStartup& initialization) {
    initialization.StartCommonControls();
    initialization.InitUserExClasses();
}

void OptionsDialog::Show(AutoEmptySetting& autoEmpty, RemovalSettingsInUse& removal) {
    if (window_) {
        window_->BringToFront();
        return;
    }
    autoEmpty_ = &autoEmpty;
    removal_ = &removal;
    Load();
    if (window_) window_->ShowCentred();
}

void OptionsDialog::Load() {
    // Every load creates the controls afresh with the contents of the layout.
    window_ = platform_.dialogs.CreateDialogWindow(OptionsDialogLayout(), *this);
    if (!window_) return;
    programWindows_.Add(*this);
    // The user may tick auto-empty before typing a threshold: nothing empties the bin until the
    // dialog closes. The same holds for the rules of removal and their numbers.
    autoEmpty_->Hold();
    removal_->Hold();
    // Shown, not stored: the file already holds it, in whatever form it was saved.
    lastStored_ = autoEmpty_->Value();
    const bool on = lastStored_ != kAutoCleanOff;
    if (on) window_->SetText(ThresholdBox, lastStored_);
    window_->SetChecked(AutoEmptyBox, on);
    window_->SetEnabled(ThresholdBox, on);
    // The autostart box starts clear whatever the registry holds: the Run value is never read
    // back.

    // What the file holds, which is what the program takes up when the dialog closes.
    const Text folder = ApplicationFolder(platform_.kernel);
    removalFile_ = RemovalSettingsFile::Load(platform_, files_, folder);
    removalStored_ = removalFile_.Settings();
    ShowRemoval(removalStored_);
}

void OptionsDialog::ShowRemoval(const RemovalSettings& settings) {
    // A rule that is off shows the number it would take when switched on: the one stored, or
    // the first-time default.
    window_->SetChecked(OldItemsBox, settings.emptyOldItems);
    window_->SetText(DaysBox, Digits(settings.oldItemDays));
    window_->SetEnabled(DaysBox, settings.emptyOldItems);
    window_->SetEnabled(DaysLabel, settings.emptyOldItems);
    window_->SetChecked(SizeLimitBox, settings.keepBinUnderSize);
    window_->SetText(MegabytesBox, Digits(settings.binSizeLimitMb));
    window_->SetEnabled(MegabytesBox, settings.keepBinUnderSize);
    window_->SetEnabled(MegabytesLabel, settings.keepBinUnderSize);
    window_->SetChecked(AskBox, settings.askBeforeEmptying);
    window_->SetChecked(TellBox, settings.tellAutomaticRemovals);
}

void OptionsDialog::Unload() {
    if (!window_) return;
    window_.reset();
    programWindows_.Remove(*this);
}

void OptionsDialog::Close() {
    if (!window_) return;
    Unload();
    // The program goes by what the file holds, read as at start, so that a restart changes
    // nothing; a save that failed leaves the setting the file still holds.
    const Text folder = ApplicationFolder(platform_.kernel);
    autoEmpty_->Set(LoadAutoClean(platform_, files_, folder));
    autoEmpty_->Release();
    removal_->Set(RemovalSettingsFile::Load(platform_, files_, folder).Settings());
    removal_->Release();
}

Text OptionsDialog::ShownAutoEmpty() const {
    // As the user left it: no trimming. A text that is not a plain number is never due.
    return window_->IsChecked(AutoEmptyBox) ? window_->GetText(ThresholdBox) : kAutoCleanOff;
}

void OptionsDialog::StoreAutoEmpty(const Text& value) {
    lastStored_ = value;
    const Text folder = ApplicationFolder(platform_.kernel);
    if (SaveAutoClean(platform_, files_, folder, value)) return;
    // In a folder the user may not write to, such as Program Files, nothing redirects the write.
    Warn(CouldNotSave(SettingsFilePath(folder)));
}

RemovalSettings OptionsDialog::ShownRemoval(bool typedNumbers) const {
    RemovalSettings shown = removalStored_;
    shown.emptyOldItems = window_->IsChecked(OldItemsBox);
    shown.keepBinUnderSize = window_->IsChecked(SizeLimitBox);
    shown.askBeforeEmptying = window_->IsChecked(AskBox);
    shown.tellAutomaticRemovals = window_->IsChecked(TellBox);
    if (!typedNumbers) return shown;
    // A rule that is off keeps its stored number: what its greyed box holds is not looked at.
    if (shown.emptyOldItems) {
        if (const auto days =
                NumberIn(window_->GetText(DaysBox), kMinOldItemDays, kMaxOldItemDays)) {
            shown.oldItemDays = static_cast<std::uint32_t>(*days);
        }
    }
    if (shown.keepBinUnderSize) {
        if (const auto megabytes = NumberIn(window_->GetText(MegabytesBox), kMinBinSizeLimitMb,
                                            kMaxBinSizeLimitMb)) {
            shown.binSizeLimitMb = *megabytes;
        }
    }
    return shown;
}

bool OptionsDialog::RefuseBadNumber() {
    // A number out of range is never stretched to the nearest one the rule takes: 0 days or
    // 0 MB taken as 1 would remove almost everything.
    struct Rule {
        Control box;
        Control number;
        std::uint64_t least;
        std::uint64_t most;
        Text what;  // the number's name
        Text unit;  // after the range
    };
    const Rule rules[] = {
        {OldItemsBox, DaysBox, kMinOldItemDays, kMaxOldItemDays, u"The number of days", u""},
        {SizeLimitBox, MegabytesBox, kMinBinSizeLimitMb, kMaxBinSizeLimitMb, u"The size",
         u" MB"},
    };
    for (const Rule& rule : rules) {
        if (!window_->IsChecked(rule.box) ||
            NumberIn(window_->GetText(rule.number), rule.least, rule.most)) {
            continue;
        }
        Warn(rule.what + u" must be from " + Digits(rule.least) + u" to " + Digits(rule.most) +
             rule.unit + u".");
        // The dialog may have gone while the box was open.
        if (window_) window_->Focus(rule.number);
        return true;
    }
    return false;
}

void OptionsDialog::StoreRemoval(const RemovalSettings& settings) {
    removalStored_ = settings;
    const Text folder = ApplicationFolder(platform_.kernel);
    if (removalFile_.Save(files_, folder, settings)) {
        // The question before Empty follows at once; the rules wait for the dialog to close.
        removal_->Set(settings);
        return;
    }
    Warn(CouldNotSave(RemovalSettingsPath(folder)));
}

void OptionsDialog::Warn(const Text& text) {
    platform_.ui.MessageBox(window_->Handle(), text, kApplicationTitle,
                            mb::kOk | mb::kIconWarning);
}

void OptionsDialog::OnAutoEmptyClicked() {
    window_->SetEnabled(ThresholdBox, window_->IsChecked(AutoEmptyBox));
    StoreAutoEmpty(ShownAutoEmpty());
}

void OptionsDialog::OnAutostartClicked() {
    if (window_->IsChecked(AutostartBox)) {
        EnableAutostart();
    } else {
        DisableAutostart();
    }
}

void OptionsDialog::OnRemovalSwitchClicked() {
    const bool old = window_->IsChecked(OldItemsBox);
    window_->SetEnabled(DaysBox, old);
    window_->SetEnabled(DaysLabel, old);
    const bool size = window_->IsChecked(SizeLimitBox);
    window_->SetEnabled(MegabytesBox, size);
    window_->SetEnabled(MegabytesLabel, size);
    // The switch alone: a number still being typed is stored by Close, once it is whole.
    StoreRemoval(ShownRemoval(false));
}

void OptionsDialog::OnCloseClicked() {
    if (RefuseBadNumber()) return;
    // Only what the user changed is written: a file saved in another form keeps its bytes.
    if (const Text shown = ShownAutoEmpty(); shown != lastStored_) StoreAutoEmpty(shown);
    if (!window_) return;
    if (const RemovalSettings shown = ShownRemoval(true); shown != removalStored_) {
        StoreRemoval(shown);
    }
    Close();
}

void OptionsDialog::EnableAutostart() {
    WriteAutostart(platform_.registry, AutostartCommand(ApplicationFolder(platform_.kernel),
                                                        ExecutableName(platform_.kernel)));
}

void OptionsDialog::DisableAutostart() { DeleteAutostart(platform_.registry); }

void OptionsDialog::ControlClicked(std::size_t control) {
    switch (control) {
        case AutoEmptyBox: return OnAutoEmptyClicked();
        case AutostartBox: return OnAutostartClicked();
        case OldItemsBox:
        case SizeLimitBox:
        case AskBox:
        case TellBox: return OnRemovalSwitchClicked();
        case CloseButton: return OnCloseClicked();
        default: return;
    }
}

// The title bar's close box or Esc: the window goes, nothing is stored.
void OptionsDialog::CloseRequested() { Close(); }

void SingleOptionsDialog::ShowOptions(AutoEmptySetting& autoEmpty,
                                      RemovalSettingsInUse& removal) {
    if (!dialog_) {
        dialog_ =
            std::make_unique<OptionsDialog>(platform_, programWindows_, files_, initialization_);
    }
    dialog_->Show(autoEmpty, removal);
}

}  // namespace dustvale
