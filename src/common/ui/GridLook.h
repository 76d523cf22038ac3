#pragma once

class QTableView;

// How every grid of the program looks, set in one place so that each
// window gets the same.
namespace GridLook {

// Columns as wide as their contents (a sample of the rows, so that large
// lists stay quick), the last one taking what is left; rows as high as the
// font needs.
void setUp(QTableView *view);

} // namespace GridLook
