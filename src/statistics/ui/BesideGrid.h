#pragma once

class ListWindow;
class QWidget;

// Puts a panel to the left of a list window's grid and footer, for the
// windows that choose what their list shows from a list of their own.
void placeBesideGrid(ListWindow &window, QWidget *panel);
