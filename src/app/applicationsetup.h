#pragma once
// The program-wide settings of the application object, made once before any window exists.

class QApplication;

// Names the program (never a display name: the platform would append it to every window title),
// ties it to its desktop file, gives it its icon and a theme that has toolbar pictures.
void setUpApplication(QApplication &app);
