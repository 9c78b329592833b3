#pragma once
// The program-wide settings of the application object, made once before any window exists.

class QApplication;
class QCoreApplication;

// Names the program (never a display name: the platform would append it to every window title)
// and gives its version, which is all the command line needs.
void nameApplication(QCoreApplication &app);

// Names the program, ties it to its desktop file, gives it its icon and a theme that has
// toolbar pictures.
void setUpApplication(QApplication &app);
