#pragma once

// The tray control's own error codes and texts, as its PgmError event reports them.

#include <cstdint>

namespace dustvale::trayerror {

constexpr std::int32_t kWrongState = -1;
constexpr std::int32_t kNoStandardIcon = -2;
constexpr std::int32_t kCalledTwice = -3;

constexpr const char16_t* kNotLoadedText = u"SysTray non chargé";
constexpr const char16_t* kNotStartedText = u"SysTray non démarré";
constexpr const char16_t* kNoStandardIconText = u"Icône standard non définie";
constexpr const char16_t* kWrongUseText = u"Utilisation incorrecte de la fonction";

}  // namespace dustvale::trayerror
