#pragma once
#include <string>

// Local date and time: days since 1899-12-30 00:00, the fraction is the time of day.
// Files store it as its 8 bytes in little-endian order.
using TDateTime = double;

// Texts of the product, shared by the window, the message boxes and the temporary-file prefix.
inline constexpr char SetupTitle[] = "Corvella Norwegian (Nynorsk) Spellchecker - Setup";
inline constexpr char ProductName[] = "Corvella Norwegian (Nynorsk) Spellchecker";
inline constexpr char ProductShortName[] = "Norwegian (Nynorsk) Spellchecker";
