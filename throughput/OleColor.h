#pragma once

#include <QColor>

// Colours are stored as 32-bit values: 0x00BBGGRR for a direct colour, or, with the top bit set, the index
// (low byte) of a colour of the desktop's scheme, taken from the application palette at the time of the call.
// An index with no counterpart gives black, as the classic system-colour lookup does.
QColor oleColor(quint32 value);

namespace OleSystemColor {
constexpr quint32 ButtonFace = 0x8000000F;
constexpr quint32 GrayText = 0x80000011;
constexpr quint32 ButtonText = 0x80000012;
} // namespace OleSystemColor
