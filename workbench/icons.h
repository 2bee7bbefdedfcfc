#pragma once
// The workbench's own pictures, drawn in code: 16 by 16 pixels, and 32 by 32
// for cut, copy and paste, all with an alpha channel.

#include <QIcon>
#include <QPixmap>

#include "workbench/command_table.h"

namespace tovi {

// The picture of a role; IconRole::None gives a null pixmap.
QPixmap iconPixmap(IconRole role);
// The same picture drawn at any size, for the desktop's icon theme.
QPixmap iconPixmap(IconRole role, int size);

// The same picture as an icon; IconRole::None gives a null icon.
QIcon iconFor(IconRole role);

} // namespace tovi
