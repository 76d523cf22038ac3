#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The four plate pictures of the board, drawn by the program: a folder in
// the state's colour with a white sign on its front.
//   0 free      green folder
//   1 occupied  red folder, a group of people
//   2 reserved  blue folder, a globe
//   3 disabled  orange folder, a raised hand in a stop sign
namespace PlateIcons {

QColor colour(int index);
QPixmap pixmap(int index, int size);
// The picture at the sizes the board shows it.
QIcon icon(int index);

} // namespace PlateIcons
