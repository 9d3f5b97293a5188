// The registry, the common controls and the modeless dialogs behave alike on every platform.

#include <gtest/gtest.h>

#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

// A value name no other program uses; the tests remove it again.
const Text kScratchValue = u"DustvaleContractScratch";

class CountingListener final : public DialogListener {
public:
    void ControlClicked(std::size_t) override { ++clicks; }
    void CloseRequested() override { ++closes; }
    int clicks = 0;
    int closes = 0;
};

DialogLayout ScratchLayout() {
    DialogLayout layout;
    layout.caption = u"Contract";
    layout.clientWidth = 4680;
    layout.clientHeight = 1500;
    layout.controls = {
        {ControlKind::CheckBox, u"Box", {120, 120, 4335, 255}},
        {ControlKind::TextBox, u"15", {3360, 120, 495, 285}},
        {ControlKind::DefaultButton, u"Close", {3360, 960, 1215, 495}},
        {ControlKind::Label, u"days ago", {120, 600, 1200, 285}},
    };
    return layout;
}

template <class F>
class SettingsServicesContract : public ::testing::Test {
protected:
    F fixture;
    Platform platform = fixture.platform();
};

TYPED_TEST_SUITE_P(SettingsServicesContract);

TYPED_TEST_P(SettingsServicesContract, AMissingKeyIsNotCreatedByOpeningIt) {
    const Text missing = u"Software\\DustvaleContractSurelyMissing\\Below";
    Registry& registry = this->platform.registry;
    OpenedKey first = registry.OpenCurrentUserKey(missing, reg::kKeyWrite);
    EXPECT_EQ(first.status, reg::kFileNotFound);
    EXPECT_FALSE(first.key);
    EXPECT_EQ(registry.OpenCurrentUserKey(missing, reg::kKeyWrite).status, reg::kFileNotFound);
}

TYPED_TEST_P(SettingsServicesContract, AStringValueIsSetAndDeletedOnce) {
    OpenedKey software = this->platform.registry.OpenCurrentUserKey(u"Software", reg::kKeyWrite);
    ASSERT_EQ(software.status, reg::kSuccess);
    ASSERT_TRUE(software.key);
    EXPECT_EQ(software.key->SetStringValue(kScratchValue, u"\"C:\\Dust vale\\D\u00e9j\u00e0.exe\""),
              reg::kSuccess);
    EXPECT_EQ(software.key->SetStringValue(kScratchValue, u"again"), reg::kSuccess);
    EXPECT_EQ(software.key->DeleteValue(kScratchValue), reg::kSuccess);
    EXPECT_EQ(software.key->DeleteValue(kScratchValue), reg::kFileNotFound);
}

TYPED_TEST_P(SettingsServicesContract, TheCommonControlsInitialise) {
    CommonControls& controls = this->platform.commonControls;
    EXPECT_EQ(controls.InitCommonControlsEx(icc::kAllClasses), std::optional<bool>(true));
    EXPECT_EQ(controls.InitCommonControlsEx(icc::kUserExClasses), std::optional<bool>(true));
    controls.InitCommonControls();
    // The executable's own manifest asks for the visual-styles controls, and gets them.
    EXPECT_EQ(controls.LoadedVersion(), 6u);
}

TYPED_TEST_P(SettingsServicesContract, ADialogKeepsTheStateTheProgramGivesItSilently) {
    CountingListener listener;
    std::unique_ptr<DialogWindow> dialog =
        this->platform.dialogs.CreateDialogWindow(ScratchLayout(), listener);
    ASSERT_TRUE(dialog);
    EXPECT_NE(dialog->Handle(), 0u);
    EXPECT_FALSE(dialog->IsChecked(0)) << "check boxes start clear";
    EXPECT_EQ(dialog->GetText(1), u"15");

    dialog->SetChecked(0, true);
    EXPECT_TRUE(dialog->IsChecked(0));
    dialog->SetChecked(0, true);
    dialog->SetChecked(0, false);
    EXPECT_FALSE(dialog->IsChecked(0));

    for (const Text& text : {Text(u" 20 "), Text(), Text(u"\u0416\u00e9")}) {
        dialog->SetText(1, text);
        EXPECT_EQ(dialog->GetText(1), text);
    }
    EXPECT_EQ(dialog->GetText(3), u"days ago");
    dialog->SetEnabled(3, false);
    dialog->ShowCentred();
    dialog->BringToFront();
    dialog->Focus(1);
    dialog->Focus(0);
    dialog->SetEnabled(1, false);
    this->fixture.WaitForTimers(50);
    dialog->Hide();
    EXPECT_EQ(listener.clicks, 0) << "a state set by the program is not reported";
    EXPECT_EQ(listener.closes, 0);
}

// Laid out in pixels at the DPI of its monitor, and again at the new one when it changes (the
// user drags it to another monitor, or changes the scaling of its own).
TYPED_TEST_P(SettingsServicesContract, ADialogIsLaidOutAgainAtANewDpi) {
    CountingListener listener;
    const DialogLayout layout = ScratchLayout();
    std::unique_ptr<DialogWindow> dialog =
        this->platform.dialogs.CreateDialogWindow(layout, listener);
    ASSERT_TRUE(dialog);
    auto placesAt = [&layout](std::int32_t dpi) {
        std::vector<std::array<std::int32_t, 4>> places;
        for (const ControlLayout& control : layout.controls) {
            const TwipsRect& b = control.bounds;
            places.push_back({TwipsToPixels(b.left, dpi), TwipsToPixels(b.top, dpi),
                              TwipsToPixels(b.width, dpi), TwipsToPixels(b.height, dpi)});
        }
        return places;
    };
    const std::int32_t dpi = this->platform.windows.GetDpiForWindow(dialog->Handle());
    EXPECT_EQ(this->fixture.ControlPlaces(*dialog), placesAt(dpi));
    for (const std::int32_t changed : {144, 120, dpi}) {
        this->fixture.TellDpiChanged(dialog->Handle(), changed);
        EXPECT_EQ(this->fixture.ControlPlaces(*dialog), placesAt(changed)) << changed;
    }
    dialog->SetText(1, u"7");
    EXPECT_EQ(dialog->GetText(1), u"7");
    EXPECT_EQ(listener.clicks, 0);
}

REGISTER_TYPED_TEST_SUITE_P(SettingsServicesContract, AMissingKeyIsNotCreatedByOpeningIt,
                            AStringValueIsSetAndDeletedOnce, TheCommonControlsInitialise,
                            ADialogKeepsTheStateTheProgramGivesItSilently,
                            ADialogIsLaidOutAgainAtANewDpi);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, SettingsServicesContract, PlatformUnderTest,
                               PlatformName);

}  // namespace
}  // namespace dustvale::contract
