#pragma once

class QWidget;

// Where the program's caption-less dialogs open.
class PopupPlacement {
public:
    // Centres the popup on the mouse pointer, kept on the pointer's screen.
    static void CentreOnMousePointer(QWidget& popup);
};
