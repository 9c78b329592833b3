#pragma once
// Pictures of the main window taken without a user, for the README and for checking an
// installed copy: FERROLINK_SNAPSHOT=file.png starts with the preselected language, connects
// when FERROLINK_SNAPSHOT_SERVER=host:port:user:password names a server, saves the window and
// prints every caption it shows, one a line.

class MainWindow;

namespace Snapshot {

bool isRequested();
// Fixes the start dialog's preselected language without showing the dialog.
bool chooseLanguage();
// Waits for the window (and the server listing) to settle, saves it; the process's exit code.
int take(MainWindow &window);

} // namespace Snapshot
