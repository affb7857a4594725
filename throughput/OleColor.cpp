#include "OleColor.h"

#include <QGuiApplication>
#include <QPalette>

#include <iterator>

namespace {

struct SystemColor
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Indexed by the classic system-colour number (scroll bar = 0 ... menu bar = 30).
constexpr SystemColor systemColors[] = {
    {QPalette::Active, QPalette::Button}, // scroll bar
    {QPalette::Active, QPalette::Dark}, // desktop background
    {QPalette::Active, QPalette::Highlight}, // active caption
    {QPalette::Inactive, QPalette::Highlight}, // inactive caption
    {QPalette::Active, QPalette::Window}, // menu
    {QPalette::Active, QPalette::Base}, // window
    {QPalette::Active, QPalette::Shadow}, // window frame
    {QPalette::Active, QPalette::WindowText}, // menu text
    {QPalette::Active, QPalette::Text}, // window text
    {QPalette::Active, QPalette::HighlightedText}, // caption text
    {QPalette::Active, QPalette::Window}, // active border
    {QPalette::Inactive, QPalette::Window}, // inactive border
    {QPalette::Active, QPalette::Mid}, // application workspace
    {QPalette::Active, QPalette::Highlight}, // highlight
    {QPalette::Active, QPalette::HighlightedText}, // highlighted text
    {QPalette::Active, QPalette::Button}, // button face
    {QPalette::Active, QPalette::Dark}, // button shadow
    {QPalette::Disabled, QPalette::WindowText}, // grey (disabled) text
    {QPalette::Active, QPalette::ButtonText}, // button text
    {QPalette::Inactive, QPalette::HighlightedText}, // inactive caption text
    {QPalette::Active, QPalette::Light}, // button highlight
    {QPalette::Active, QPalette::Shadow}, // 3-D dark shadow
    {QPalette::Active, QPalette::Midlight}, // 3-D light
    {QPalette::Active, QPalette::ToolTipText}, // info text
    {QPalette::Active, QPalette::ToolTipBase}, // info background
    {QPalette::Active, QPalette::NoRole}, // unused slot
    {QPalette::Active, QPalette::Link}, // hot-tracked item
    {QPalette::Active, QPalette::Highlight}, // gradient of active caption
    {QPalette::Inactive, QPalette::Highlight}, // gradient of inactive caption
    {QPalette::Active, QPalette::Highlight}, // menu highlight
    {QPalette::Active, QPalette::Window}, // menu bar
};

} // namespace

QColor oleColor(quint32 value)
{
    if (value & 0x80000000u) {
        const quint32 index = value & 0xFFu;
        if (index >= std::size(systemColors) || systemColors[index].role == QPalette::NoRole)
            return QColor(Qt::black);
        const SystemColor& c = systemColors[index];
        return QGuiApplication::palette().color(c.group, c.role);
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
